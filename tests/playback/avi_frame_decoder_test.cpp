// The properties window's AVI frame decoder: its set-up steps and their texts,
// exact frames in any order for intra and inter coded streams, repeated
// (empty) frames and damaged chunks.
#include "playback/avi_frame_decoder.h"

#include <gtest/gtest.h>

#include <random>

#include "playback/software_board/software_board_factory.h"
#include "support/avi_builder.h"
#include "support/fake_board.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::AviBuildParams;
using testing::AviBuildStream;
using testing::FakeComponentFactory;
using testing::MovieCodec;
using testing::MovieParams;
using testing::TempDir;

int ShownFrameNumber(const AviFrameDecoder& decoder) {
  const std::vector<std::uint8_t>& picture = decoder.Picture();
  const int bytes = decoder.BytesPerPixel();
  std::vector<std::uint8_t> rgb;
  rgb.reserve(picture.size() / bytes * 3);
  for (std::size_t i = 0; i + 2 < picture.size(); i += bytes) rgb.insert(rgb.end(), {picture[i], picture[i + 1], picture[i + 2]});
  return testing::ReadFrameNumber(rgb.data(), decoder.Width(), decoder.Height());
}

class AviFrameDecoderTest : public ::testing::Test {
 protected:
  std::string WriteMovie(const MovieParams& params, const std::string& name = "movie.avi") {
    const std::string path = dir_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteAvi(path, params, &error)) << error;
    return path;
  }

  // Decodes frames in the given order and checks each shows its own number.
  void ExpectFrames(AviFrameDecoder& decoder, const std::vector<int>& order) {
    for (int frame : order) {
      ASSERT_EQ(decoder.DecodeFrame(frame), AviFrameOutcome::NewPicture) << "frame " << frame;
      EXPECT_EQ(ShownFrameNumber(decoder), frame);
    }
  }

  TempDir dir_;
  std::unique_ptr<IKlpComponentFactory> board_ = CreateSoftwareBoardFactory({});
};

TEST_F(AviFrameDecoderTest, SetUpStopsAtTheFirstFailingStepWithItsText) {
  const std::pair<const char*, const char*> steps[] = {
      {"Create:IGetAVIInfo", "Can't create GetAVIInfo instance."},
      {"IGetAVIInfo::LoadFile", "Can't load file."},
      {"IGetAVIInfo::GetVideoStreamCount", "Can't get video stream number."},
      {"IGetAVIInfo::GetVideoStreamInfo", "Can't get video stream info."},
      {"IGetAVIInfo::GetVideoFormat", "Can't get video format info."},
  };
  for (const auto& [operation, text] : steps) {
    FakeComponentFactory factory;
    factory.Config().results[operation] = KlpFail;
    AviFrameDecoder decoder;
    EXPECT_FALSE(decoder.Open(factory, "/any/file.avi"));
    EXPECT_EQ(decoder.FailureText(), text);
    EXPECT_FALSE(decoder.IsOpen());
    EXPECT_TRUE(decoder.Picture().empty());
    EXPECT_EQ(decoder.DecodeFrame(0), AviFrameOutcome::Failed);
  }
}

TEST_F(AviFrameDecoderTest, SetUpRefusesFilesItCannotShow) {
  AviFrameDecoder decoder;
  EXPECT_FALSE(decoder.Open(*board_, dir_.WriteFile("text.avi", "not a movie at all")));
  EXPECT_EQ(decoder.FailureText(), "Can't load file.");

  MovieParams soundOnly;
  soundOnly.withVideo = false;
  soundOnly.withAudio = true;
  EXPECT_FALSE(decoder.Open(*board_, WriteMovie(soundOnly, "sound.avi")));
  EXPECT_EQ(decoder.FailureText(), "Video stream number = 0.");

  AviBuildParams unknown;
  AviBuildStream video;
  video.handler = "ZZZZ";
  video.compression = "ZZZZ";
  video.chunks = {"?"};
  unknown.streams = {video};
  EXPECT_FALSE(decoder.Open(*board_, dir_.WriteFile("unknown.avi", testing::BuildAvi(unknown))));
  EXPECT_EQ(decoder.FailureText(), "Can't decompress source file.");

  AviBuildParams noWidth = unknown;
  noWidth.streams[0].handler = "MJPG";
  noWidth.streams[0].compression = "MJPG";
  noWidth.streams[0].width = 0;
  EXPECT_FALSE(decoder.Open(*board_, dir_.WriteFile("nowidth.avi", testing::BuildAvi(noWidth))));
  EXPECT_EQ(decoder.FailureText(), "Bad source format.");

  AviBuildParams huge = noWidth;
  huge.streams[0].width = 100000;
  huge.streams[0].height = 100000;
  EXPECT_FALSE(decoder.Open(*board_, dir_.WriteFile("huge.avi", testing::BuildAvi(huge))));
  EXPECT_EQ(decoder.FailureText(), "Bad source format.");
}

TEST_F(AviFrameDecoderTest, MjpegFramesInAnyOrder) {
  MovieParams params;
  params.width = 192;
  params.height = 144;
  params.frameCount = 30;
  params.withAudio = true;
  AviFrameDecoder decoder;
  ASSERT_TRUE(decoder.Open(*board_, WriteMovie(params))) << decoder.FailureText();
  EXPECT_EQ(decoder.Width(), 192);
  EXPECT_EQ(decoder.Height(), 144);
  EXPECT_EQ(decoder.FrameCount(), 30);
  EXPECT_DOUBLE_EQ(decoder.FramesPerSecond(), 25.0);
  EXPECT_EQ(decoder.Picture().size(), 192u * 144u * decoder.BytesPerPixel());
  ExpectFrames(decoder, {0, 29, 7, 8, 9, 3, 15});
  EXPECT_EQ(decoder.DecodeFrame(30), AviFrameOutcome::Failed);
  EXPECT_EQ(decoder.DecodeFrame(-1), AviFrameOutcome::Failed);
}

TEST_F(AviFrameDecoderTest, InterCodedFramesDecodeFromTheKeyFrameBefore) {
  MovieParams params;
  params.width = 192;
  params.height = 144;
  params.codec = MovieCodec::Mpeg4;
  params.frameCount = 40;
  params.gopSize = 10;
  AviFrameDecoder decoder;
  ASSERT_TRUE(decoder.Open(*board_, WriteMovie(params))) << decoder.FailureText();
  // Forward in order, a jump into a group, back before it, and random ones.
  ExpectFrames(decoder, {0, 1, 2, 3, 17, 18, 12, 39, 30, 29, 5});
  std::mt19937 random(11);
  std::vector<int> order;
  for (int i = 0; i < 15; ++i) order.push_back(static_cast<int>(random() % 40));
  ExpectFrames(decoder, order);
}

TEST_F(AviFrameDecoderTest, UncompressedBottomUpFramesShowUpright) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.codec = MovieCodec::Uncompressed;
  params.frameCount = 6;
  AviFrameDecoder decoder;
  ASSERT_TRUE(decoder.Open(*board_, WriteMovie(params))) << decoder.FailureText();
  ExpectFrames(decoder, {5, 0, 3});
}

TEST_F(AviFrameDecoderTest, EmptyChunkKeepsThePictureShown) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 4;
  const std::vector<std::string> packets = testing::ReadVideoPackets(WriteMovie(params));
  ASSERT_EQ(packets.size(), 4u);
  AviBuildParams built;
  AviBuildStream video;
  video.width = 160;
  video.height = 120;
  video.chunks = {packets[0], packets[1], "", packets[3]};
  built.streams = {video};

  AviFrameDecoder decoder;
  ASSERT_TRUE(decoder.Open(*board_, dir_.WriteFile("dropped.avi", testing::BuildAvi(built))))
      << decoder.FailureText();
  ExpectFrames(decoder, {1});
  EXPECT_EQ(decoder.DecodeFrame(2), AviFrameOutcome::Unchanged);
  EXPECT_EQ(ShownFrameNumber(decoder), 1);
  ExpectFrames(decoder, {3});
}

TEST_F(AviFrameDecoderTest, DamagedChunksSpoilOnlyThemselves) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 4;
  const std::vector<std::string> packets = testing::ReadVideoPackets(WriteMovie(params));
  ASSERT_EQ(packets.size(), 4u);
  AviBuildParams built;
  AviBuildStream video;
  video.width = 160;
  video.height = 120;
  video.chunks = {packets[0], std::string(500, '\x5A'), packets[2], packets[3]};
  built.streams = {video};
  built.lastEntryShift = 1u << 28;  // the last frame's index entry points past the end

  AviFrameDecoder decoder;
  ASSERT_TRUE(decoder.Open(*board_, dir_.WriteFile("damaged.avi", testing::BuildAvi(built))))
      << decoder.FailureText();
  ExpectFrames(decoder, {0});
  EXPECT_NE(decoder.DecodeFrame(1), AviFrameOutcome::NewPicture);
  EXPECT_EQ(decoder.DecodeFrame(3), AviFrameOutcome::Failed);
  ExpectFrames(decoder, {2});
}

TEST_F(AviFrameDecoderTest, ClosingReleasesEverything) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 2;
  AviFrameDecoder decoder;
  ASSERT_TRUE(decoder.Open(*board_, WriteMovie(params)));
  decoder.Close();
  EXPECT_FALSE(decoder.IsOpen());
  EXPECT_TRUE(decoder.Picture().empty());
  EXPECT_EQ(decoder.FrameCount(), 0);
  EXPECT_EQ(decoder.DecodeFrame(0), AviFrameOutcome::Failed);
}

}  // namespace
}  // namespace vantorelle
