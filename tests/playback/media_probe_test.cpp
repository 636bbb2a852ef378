// Looking into media files apart from the board: what their streams hold,
// and why a file that cannot be used is refused. Files are made at test time
// with the ffmpeg program.
#include "playback/media_probe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::TempDir;

class MediaProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program";
  }

  std::string Make(const std::string& name, const std::string& arguments) {
    const std::string path = dir_.File(name);
    const std::string command = "ffmpeg -hide_banner -loglevel error -y " + arguments + " '" + path + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
  }

  TempDir dir_;
};

TEST_F(MediaProbeTest, TellsCodecsRateShapeMatrixAndChannelLayout) {
  const std::string path =
      Make("wide.mp4",
           "-f lavfi -i testsrc=size=64x48:rate=25:duration=0.4 "
           "-f lavfi -i sine=frequency=440:sample_rate=48000:duration=0.4 "
           "-filter_complex '[1:a]pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0[a]' -map 0:v -map '[a]' "
           "-vf setsar=16/15 -c:v libx264 -pix_fmt yuv420p -colorspace bt709 -color_primaries bt709 "
           "-color_trc bt709 -c:a aac");
  const MediaProbe probe = ProbeMediaFile(path);
  EXPECT_EQ(probe.verdict, MediaProbeVerdict::Usable);
  EXPECT_EQ(RefusalReason(probe), "");
  EXPECT_EQ(probe.container.rfind("mov,mp4", 0), 0u) << probe.container;
  ASSERT_EQ(probe.video.size(), 1u);
  EXPECT_EQ(probe.video[0].codec, "h264");
  EXPECT_TRUE(probe.video[0].decodable);
  EXPECT_EQ(probe.video[0].width, 64);
  EXPECT_EQ(probe.video[0].height, 48);
  EXPECT_DOUBLE_EQ(probe.video[0].framesPerSecond, 25.0);
  EXPECT_EQ(probe.video[0].pixelAspectNum, 16);
  EXPECT_EQ(probe.video[0].pixelAspectDen, 15);
  EXPECT_EQ(probe.video[0].colourMatrix, "bt709");
  ASSERT_EQ(probe.audio.size(), 1u);
  EXPECT_EQ(probe.audio[0].codec, "aac");
  EXPECT_EQ(probe.audio[0].sampleRate, 48000);
  EXPECT_EQ(probe.audio[0].channels, 6);
  EXPECT_EQ(probe.audio[0].channelLayout, "5.1");
}

TEST_F(MediaProbeTest, AnUntaggedPictureAndAChannelCountAloneAreNamedPlainly) {
  // AIFF counts its channels without naming them: they play in the usual order.
  const std::string aiff = Make("two.aiff", "-f lavfi -i sine=frequency=440:sample_rate=8000:duration=0.3 -ac 2");
  const MediaProbe sound = ProbeMediaFile(aiff);
  EXPECT_EQ(sound.verdict, MediaProbeVerdict::Usable);
  EXPECT_TRUE(sound.video.empty());
  ASSERT_EQ(sound.audio.size(), 1u);
  EXPECT_EQ(sound.audio[0].channelLayout, "stereo");
  EXPECT_EQ(sound.audio[0].sampleFormat, "s16");

  const std::string avi = Make("plain.avi", "-f lavfi -i testsrc=size=64x48:rate=10:duration=0.3 -c:v mjpeg");
  const MediaProbe picture = ProbeMediaFile(avi);
  ASSERT_EQ(picture.video.size(), 1u);
  EXPECT_EQ(picture.video[0].pixelAspectNum, 1);
  EXPECT_EQ(picture.video[0].pixelAspectDen, 1);
  EXPECT_FALSE(picture.video[0].colourMatrix.empty());
}

TEST_F(MediaProbeTest, EveryKindOfRefusalHasItsReason) {
  EXPECT_EQ(RefusalReason(ProbeMediaFile(dir_.File("missing.mp4"))), "no picture or sound stream");
  EXPECT_EQ(RefusalReason(ProbeMediaFile(dir_.WriteFile("empty.mp4", ""))), "no picture or sound stream");
  EXPECT_EQ(RefusalReason(ProbeMediaFile(dir_.WriteFile("text.mp4", "Once upon a time.\n"))),
            "no picture or sound stream");

  const std::string srt = dir_.WriteFile("words.srt", "1\n00:00:00,000 --> 00:00:01,000\nHello\n");
  const MediaProbe subtitles = ProbeMediaFile(Make("subtitles.mkv", "-i '" + srt + "'"));
  EXPECT_EQ(subtitles.verdict, MediaProbeVerdict::NoMediaStream);
  EXPECT_EQ(subtitles.container, "matroska,webm");

  const std::string whole = Make("whole.mkv", "-f lavfi -i testsrc=size=64x48:rate=10:duration=0.5 -c:v libx264");
  const std::string cut = dir_.File("cut.mkv");
  std::filesystem::copy_file(whole, cut);
  std::filesystem::resize_file(cut, 200);
  EXPECT_EQ(RefusalReason(ProbeMediaFile(cut)), "damaged file");
}

}  // namespace
}  // namespace vantorelle
