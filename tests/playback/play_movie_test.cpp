// The software board's movie component and its picture components: what a
// file holds, the exact frame at any time, and refusals of bad files.
#include "playback/software_board/play_movie_component.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "playback/software_board/jpeg_image_component.h"
#include "playback/software_board/ycrcb_image_component.h"
#include "support/avi_builder.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::MovieCodec;
using testing::MovieParams;
using testing::TempDir;

struct Info {
  std::uint32_t flags = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double videoS = 0;
  double fps = 0;
  double audioS = 0;
  KlpMovieExtraInfo extra;
};

Info InfoOf(PlayMovieComponent& movie) {
  Info info;
  EXPECT_EQ(movie.GetMovieInfo(0, info.flags, info.width, info.height, info.videoS, info.fps, info.audioS,
                               &info.extra),
            KlpOk);
  return info;
}

bool HasFfmpegProgram() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

class PlayMovieTest : public ::testing::Test {
 protected:
  std::string Write(const MovieParams& params, const std::string& name = "movie.avi") {
    const std::string path = dir_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteAvi(path, params, &error)) << error;
    return path;
  }

  // The frame number the movie shows at a time, read from the RGB picture.
  int FrameShownAt(PlayMovieComponent& movie, double seconds) {
    if (movie.CopyToYCrCbImage(image_, seconds) != KlpOk) return -2;
    IKlpYCrCbImageRGB* rgb = nullptr;
    EXPECT_EQ(image_.QueryYCrCbImageRGB(rgb), KlpOk);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(image_.Width()) * image_.Height() * 3);
    if (rgb->GetRGBData(pixels.data(), pixels.size()) != KlpOk) return -3;
    return testing::ReadFrameNumber(pixels.data(), image_.Width(), image_.Height());
  }

  TempDir dir_;
  YCrCbImageComponent image_;
};

TEST_F(PlayMovieTest, PictureStreamWithAlphaIsMarkedSo) {
  if (!HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program";
  const std::string path = dir_.File("alpha.avi");
  const std::string command = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=64x48:rate=25 -t 0.4 "
                              "-c:v png -pix_fmt rgba '" + path + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(path), KlpOk);
  EXPECT_EQ(InfoOf(movie).flags, KlpStream::AlphaVideo);
  EXPECT_EQ(movie.CopyToYCrCbImage(image_, 0.2), KlpOk);
  EXPECT_EQ(image_.Width(), 64);
}

TEST_F(PlayMovieTest, FramesInOrderAreDecodedOnWithoutSeeking) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.codec = MovieCodec::Mpeg4;
  params.frameCount = 40;
  params.gopSize = 10;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  for (int frame = 0; frame < 40; ++frame) ASSERT_EQ(FrameShownAt(movie, frame / 25.0), frame);
  EXPECT_EQ(movie.Decoder().SeekCount(), 1);
  // The same frame again needs no decoding at all; a short step ahead decodes on.
  EXPECT_EQ(FrameShownAt(movie, 39 / 25.0), 39);
  ASSERT_EQ(FrameShownAt(movie, 5 / 25.0), 5);
  ASSERT_EQ(FrameShownAt(movie, 9 / 25.0), 9);
  EXPECT_EQ(movie.Decoder().SeekCount(), 2);
  EXPECT_EQ(FrameShownAt(movie, std::numeric_limits<double>::infinity()), 39);
  EXPECT_EQ(FrameShownAt(movie, std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST_F(PlayMovieTest, JpegCopiesInOrderReadOnWithoutSeeking) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 20;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  JpegImageComponent jpeg;
  for (int frame = 0; frame < 20; ++frame) {
    ASSERT_EQ(movie.CopyToJPEGImage(jpeg, frame / 25.0), KlpOk);
    ASSERT_EQ(jpeg.DecompressToImage(image_), KlpOk);
    std::vector<std::uint8_t> pixels(160 * 120 * 3);
    ASSERT_EQ(image_.GetRGBData(pixels.data(), pixels.size()), KlpOk);
    ASSERT_EQ(testing::ReadFrameNumber(pixels.data(), 160, 120), frame);
  }
  EXPECT_EQ(movie.Decoder().SeekCount(), 1);
  // Decoded pictures after the copies still start from a seek of their own.
  EXPECT_EQ(FrameShownAt(movie, 3 / 25.0), 3);
  EXPECT_EQ(FrameShownAt(movie, 4 / 25.0), 4);
  EXPECT_EQ(movie.Decoder().SeekCount(), 2);
}

TEST_F(PlayMovieTest, DroppedFrameShowsThePictureBeforeIt) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 5;
  const std::vector<std::string> packets = testing::ReadVideoPackets(Write(params));
  ASSERT_EQ(packets.size(), 5u);
  testing::AviBuildParams built;
  testing::AviBuildStream video;
  video.width = 160;
  video.height = 120;
  video.chunks = {packets[0], packets[1], "", "", packets[4]};
  built.streams = {video};
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(dir_.WriteFile("dropped.avi", testing::BuildAvi(built))), KlpOk);
  EXPECT_EQ(FrameShownAt(movie, 1 / 25.0), 1);
  EXPECT_EQ(FrameShownAt(movie, 2 / 25.0), 1);
  EXPECT_EQ(FrameShownAt(movie, 3 / 25.0), 1);
  EXPECT_EQ(FrameShownAt(movie, 4 / 25.0), 4);
  EXPECT_EQ(FrameShownAt(movie, 3 / 25.0), 1);  // reached by a seek this time
}

TEST_F(PlayMovieTest, RefusesWhatIsNoAviOrWav) {
  PlayMovieComponent movie;
  EXPECT_EQ(movie.OpenFile(dir_.Path().string()), KlpFileNotFound);  // a folder
  EXPECT_EQ(movie.OpenFile(dir_.WriteFile("noise.avi", std::string(4096, '\x7F'))), KlpBadFormat);
  // FFmpeg reads images too, but a picture misnamed as a movie is no movie.
  const std::string png = dir_.File("picture.avi");
  ASSERT_TRUE(testing::WriteImage(png, testing::ImageFormat::Png, 16, 16, {1, 2, 3}));
  EXPECT_EQ(movie.OpenFile(png), KlpBadFormat);
}

}  // namespace
}  // namespace vantorelle
