// A movie's picture and sound rendered through the board's time lines stay
// together when the file's streams start at different times: an MPEG-TS
// file whose clock starts at 1.44 s, with its sound 0.5 s behind the
// picture, turns white at 1 s of its picture and clicks at the same moment.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "board_output_rig.h"
#include "support/sound_probe.h"

namespace vantorelle {
namespace {

using testing::BoardOutputRig;

template <typename Line>
void Play(Line& line) {
  ASSERT_EQ(line.PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePaused), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePlaying), KlpOk);
}

struct Rendered {
  double whiteAt = -1.0;
  double clickAt = -1.0;
};

Rendered Render(const std::string& path, double inS, double durationS) {
  BoardOutputRig rig;
  auto movie = rig.Movie(path);
  auto video = rig.VideoLine();
  auto audio = rig.AudioLine();
  auto picture = rig.VideoClip(*movie, inS, durationS);
  auto sound = rig.SoundClip(*movie, inS, durationS, 1.0, 0.0, 0.0);
  EXPECT_EQ(video->AddMovie(*picture), KlpOk);
  EXPECT_EQ(audio->AddMovie(*sound), KlpOk);
  Play(*video);
  Play(*audio);
  rig.Pump().RunToEnd(1000);
  const auto& sink = rig.Sink();
  Rendered rendered;
  for (const auto& shown : sink.Frames()) {
    if (shown.frame.Pixel(80, 60)[0] > 128) {
      rendered.whiteAt = shown.seconds;
      break;
    }
  }
  std::size_t loudest = 0;
  for (std::size_t i = 0; i < sink.AudioFrames(); ++i) {
    if (std::fabs(sink.Audio()[i * 2]) > std::fabs(sink.Audio()[loudest * 2])) loudest = i;
  }
  rendered.clickAt = sink.AudioStart() + static_cast<double>(loudest) / kBoardSampleRate;
  return rendered;
}

TEST(SoundSyncRender, SoundOfAStreamThatStartsLaterStaysWithThePicture) {
  if (!testing::HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program on PATH";
  testing::TempDir dir;
  const std::string path = dir.File("late.ts");
  ASSERT_TRUE(testing::RunFfmpeg(
      "-f lavfi -i \"color=c=black:s=64x48:r=25:d=2,drawbox=c=white:t=fill:enable='gte(t,1)'\""
      " -itsoffset 0.5 -f lavfi -i \"aevalsrc='eq(n,24000)*0.9':s=48000:d=1.5\""
      " -map 0 -map 1 -c:v mpeg2video -g 1 -q:v 2 -c:a aac " +
      testing::Quoted(path)));
  // From the start of the file, and from 0.6 s in.
  for (const double in : {0.0, 0.6}) {
    const Rendered rendered = Render(path, in, 1.4);
    EXPECT_NEAR(rendered.whiteAt, 1.0 - in, 1e-6) << in;
    EXPECT_NEAR(rendered.clickAt, 1.0 - in, 0.001) << in;
  }
}

}  // namespace
}  // namespace vantorelle
