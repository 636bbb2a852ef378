// The software board's movie component as the editor uses it: what each kind
// of file reports, the exact frame at any time for every codec (read back
// from the frame-numbered pictures), JPEG frames handed over compressed,
// files made by the ffmpeg program, and refusals of files and images it
// cannot use.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "playback/software_board/jpeg_image_component.h"
#include "playback/software_board/play_movie_component.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/software_board/ycrcb_image_component.h"
#include "support/avi_builder.h"
#include "support/fake_board.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::MovieCodec;
using testing::MovieParams;
using testing::TempDir;

constexpr int kFailedCopy = -2;
constexpr int kFailedRgb = -3;

struct Info {
  KlpResult result = KlpFail;
  std::uint32_t flags = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double videoS = 0.0;
  double fps = 0.0;
  double audioS = 0.0;
  KlpMovieExtraInfo extra;
};

Info InfoOf(IKlpPlayMovie& movie) {
  Info info;
  info.result = movie.GetMovieInfo(0, info.flags, info.width, info.height, info.videoS, info.fps,
                                   info.audioS, &info.extra);
  return info;
}

std::vector<std::uint8_t> RgbOf(YCrCbImageComponent& image) {
  IKlpYCrCbImageRGB* rgb = nullptr;
  if (image.QueryYCrCbImageRGB(rgb) != KlpOk || !rgb) return {};
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(image.Width()) * image.Height() * 3);
  if (pixels.empty() || rgb->GetRGBData(pixels.data(), pixels.size()) != KlpOk) return {};
  return pixels;
}

int NumberOf(YCrCbImageComponent& image) {
  const std::vector<std::uint8_t> pixels = RgbOf(image);
  if (pixels.empty()) return kFailedRgb;
  return testing::ReadFrameNumber(pixels.data(), image.Width(), image.Height());
}

// The frame number the movie shows at a time.
int FrameShownAt(IKlpPlayMovie& movie, YCrCbImageComponent& image, double seconds) {
  if (movie.CopyToYCrCbImage(image, seconds) != KlpOk) return kFailedCopy;
  return NumberOf(image);
}

bool HasFfmpegProgram() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

bool RunFfmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

class SoftwareBoardMovieTest : public ::testing::Test {
 protected:
  std::string Write(const MovieParams& params, const std::string& name = "movie.avi") {
    const std::string path = dir_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteAvi(path, params, &error)) << error;
    return path;
  }

  TempDir dir_;
  YCrCbImageComponent image_;
};

// ---------------------------------------------------------------------------
// What a file holds.

using SoftwareBoardMovieInfo = SoftwareBoardMovieTest;

TEST_F(SoftwareBoardMovieInfo, MjpegAviWithSound) {
  MovieParams params;
  params.width = 352;
  params.height = 288;
  params.frameCount = 75;
  params.withAudio = true;
  params.audioSampleRate = 44100;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  const Info info = InfoOf(movie);
  ASSERT_EQ(info.result, KlpOk);
  EXPECT_EQ(info.flags, KlpStream::JpegVideo | KlpStream::Audio);
  EXPECT_EQ(info.width, 352);
  EXPECT_EQ(info.height, 288);
  EXPECT_DOUBLE_EQ(info.fps, 25.0);
  EXPECT_DOUBLE_EQ(info.videoS, 3.0);
  EXPECT_NEAR(info.audioS, 3.0, 0.01);
  EXPECT_EQ(info.extra.audioSampleRate, 44100.0);
  EXPECT_EQ(info.extra.audioBitsPerSample, 16);
  EXPECT_EQ(info.extra.audioChannels, 2);

  // Without the extra information the same answers come back.
  std::uint32_t flags = 0;
  std::int32_t width = 0, height = 0;
  double videoS = 0, fps = 0, audioS = 0;
  ASSERT_EQ(movie.GetMovieInfo(0, flags, width, height, videoS, fps, audioS, nullptr), KlpOk);
  EXPECT_EQ(flags, info.flags);
  EXPECT_DOUBLE_EQ(videoS, info.videoS);
}

TEST_F(SoftwareBoardMovieInfo, SoundShorterThanThePictures) {
  MovieParams params;
  params.frameCount = 50;
  params.withAudio = true;
  params.audioSampleRate = 32000;
  params.audioSeconds = 1.5;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  const Info info = InfoOf(movie);
  EXPECT_DOUBLE_EQ(info.videoS, 2.0);
  EXPECT_NEAR(info.audioS, 1.5, 0.01);
  EXPECT_EQ(info.extra.audioSampleRate, 32000.0);
}

TEST_F(SoftwareBoardMovieInfo, UncompressedAndMpeg4AviAreDecodedPictures) {
  for (MovieCodec codec : {MovieCodec::Uncompressed, MovieCodec::Mpeg4}) {
    SCOPED_TRACE(static_cast<int>(codec));
    MovieParams params;
    params.width = 176;
    params.height = 144;
    params.codec = codec;
    params.frameCount = 45;
    params.framesPerSecond = 30000.0 / 1001.0;
    PlayMovieComponent movie;
    ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
    const Info info = InfoOf(movie);
    ASSERT_EQ(info.result, KlpOk);
    EXPECT_EQ(info.flags, KlpStream::YCrCbVideo);
    EXPECT_EQ(info.width, 176);
    EXPECT_EQ(info.height, 144);
    EXPECT_NEAR(info.fps, 30000.0 / 1001.0, 1e-9);
    EXPECT_NEAR(info.videoS, 45 * 1001.0 / 30000.0, 1e-9);
    EXPECT_EQ(info.audioS, 0.0);
  }
}

TEST_F(SoftwareBoardMovieInfo, WavIsSoundOnly) {
  testing::WavParams wav;
  wav.sampleRate = 44100;
  wav.channels = 2;
  wav.bitsPerSample = 16;
  wav.seconds = 2.5;
  const std::string path = dir_.File("music.wav");
  ASSERT_TRUE(testing::WriteWav(path, wav));
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(path), KlpOk);
  const Info info = InfoOf(movie);
  ASSERT_EQ(info.result, KlpOk);
  EXPECT_EQ(info.flags, KlpStream::Audio);
  EXPECT_EQ(info.width, 0);
  EXPECT_EQ(info.height, 0);
  EXPECT_EQ(info.videoS, 0.0);
  EXPECT_NEAR(info.audioS, 2.5, 0.001);
  EXPECT_EQ(info.extra.audioSampleRate, 44100.0);
  EXPECT_EQ(info.extra.audioBitsPerSample, 16);
  EXPECT_EQ(info.extra.audioChannels, 2);
  // No pictures to hand out.
  EXPECT_EQ(movie.CopyToYCrCbImage(image_, 0.0), KlpBadFormat);
  JpegImageComponent jpeg;
  EXPECT_EQ(movie.CopyToJPEGImage(jpeg, 0.0), KlpBadFormat);
}

TEST_F(SoftwareBoardMovieInfo, AviHoldingSoundOnly) {
  MovieParams params;
  params.withVideo = false;
  params.withAudio = true;
  params.audioSampleRate = 48000;
  params.audioSeconds = 1.2;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params, "sound.avi")), KlpOk);
  const Info info = InfoOf(movie);
  EXPECT_EQ(info.flags, KlpStream::Audio);
  EXPECT_NEAR(info.audioS, 1.2, 0.01);
  EXPECT_EQ(info.extra.audioSampleRate, 48000.0);
}

TEST_F(SoftwareBoardMovieInfo, FactoryMakesTheBoardsOwnComponents) {
  const auto factory = CreateSoftwareBoardFactory(SoftwareBoardFormat{});
  std::unique_ptr<IKlpPlayMovie> movie;
  std::unique_ptr<IKlpPlayYCrCbImage> image;
  std::unique_ptr<IKlpPlayJPEGImage> jpeg;
  ASSERT_EQ(factory->CreatePlayMovie(movie), KlpOk);
  ASSERT_EQ(factory->CreatePlayYCrCbImage(image), KlpOk);
  ASSERT_EQ(factory->CreatePlayJPEGImage(jpeg), KlpOk);
  MovieParams params;
  params.frameCount = 10;
  ASSERT_EQ(movie->OpenFile(Write(params)), KlpOk);
  ASSERT_EQ(movie->CopyToJPEGImage(*jpeg, 7 / 25.0), KlpOk);
  ASSERT_EQ(jpeg->DecompressToImage(*image), KlpOk);
  auto* picture = dynamic_cast<YCrCbImageComponent*>(image.get());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(NumberOf(*picture), 7);
  EXPECT_EQ(FrameShownAt(*movie, *picture, 3 / 25.0), 3);
}

// ---------------------------------------------------------------------------
// The exact frame at a time, for every codec the writer makes.

class SoftwareBoardMovieFrames : public SoftwareBoardMovieTest,
                                 public ::testing::WithParamInterface<MovieCodec> {
 protected:
  static constexpr int kFrames = 60;
  static constexpr double kFps = 25.0;

  void SetUp() override {
    MovieParams params;
    params.width = 192;
    params.height = 144;
    params.codec = GetParam();
    params.frameCount = kFrames;
    params.gopSize = 12;
    params.withAudio = true;  // interleaved sound must not disturb the pictures
    ASSERT_EQ(movie_.OpenFile(Write(params)), KlpOk);
  }

  int At(double seconds) { return FrameShownAt(movie_, image_, seconds); }

  PlayMovieComponent movie_;
};

TEST_P(SoftwareBoardMovieFrames, RandomTimesGiveTheirFrames) {
  std::mt19937 random(20261207 + static_cast<unsigned>(GetParam()));
  std::uniform_real_distribution<double> time(0.0, kFrames / kFps);
  for (int i = 0; i < 60; ++i) {
    const double seconds = time(random);
    const int expected = static_cast<int>(std::floor(seconds * kFps));
    EXPECT_EQ(At(seconds), expected) << "at " << seconds << " s";
  }
}

TEST_P(SoftwareBoardMovieFrames, TimesInsideAFrameAndAtItsEdges) {
  EXPECT_EQ(At(0.0), 0);
  EXPECT_EQ(At(30 / kFps), 30);
  EXPECT_EQ(At(30.5 / kFps), 30);
  EXPECT_EQ(At(31 / kFps - 1e-4), 30);
  EXPECT_EQ(At(31 / kFps), 31);
  // n / 25 computed in floating point may fall a hair short of n.
  EXPECT_EQ(At(0.1 * 3), 7);
  EXPECT_EQ(At(-1.0), 0);
}

TEST_P(SoftwareBoardMovieFrames, JumpsBackwardsAndAcrossKeyFrames) {
  for (int frame : {50, 49, 13, 12, 11, 0, 59, 24, 23, 36, 35, 1}) {
    EXPECT_EQ(At((frame + 0.25) / kFps), frame);
  }
}

TEST_P(SoftwareBoardMovieFrames, AtAndAfterTheEndTheLastFrame) {
  EXPECT_EQ(At(kFrames / kFps), kFrames - 1);
  EXPECT_EQ(At(kFrames / kFps + 5.0), kFrames - 1);
  EXPECT_EQ(At(10.0 * 3600), kFrames - 1);
  EXPECT_EQ(At(2 / kFps), 2);
}

TEST_P(SoftwareBoardMovieFrames, PlayingInOrderNeverSeeksAgain) {
  for (int frame = 0; frame < kFrames; ++frame) ASSERT_EQ(At(frame / kFps), frame);
  const std::int64_t seeks = movie_.Decoder().SeekCount();
  EXPECT_LE(seeks, 1);
  // Playing again from the middle: one jump, then reading on.
  ASSERT_EQ(At(20 / kFps), 20);
  const std::int64_t afterJump = movie_.Decoder().SeekCount();
  for (int frame = 21; frame < 45; ++frame) ASSERT_EQ(At((frame + 0.5) / kFps), frame);
  EXPECT_EQ(movie_.Decoder().SeekCount(), afterJump);
  // Asking again for the frame on show needs nothing at all.
  ASSERT_EQ(At(44 / kFps), 44);
  EXPECT_EQ(movie_.Decoder().SeekCount(), afterJump);
}

TEST_P(SoftwareBoardMovieFrames, ImageKeepsItsPictureWhileTheMovieGoesOn) {
  ASSERT_EQ(At(5 / kFps), 5);
  YCrCbImageComponent later;
  ASSERT_EQ(FrameShownAt(movie_, later, 6 / kFps), 6);
  ASSERT_EQ(FrameShownAt(movie_, later, 40 / kFps), 40);
  EXPECT_EQ(NumberOf(image_), 5);
  movie_.OpenFile(dir_.File("missing.avi"));  // closes the movie
  EXPECT_EQ(NumberOf(image_), 5);
  EXPECT_EQ(NumberOf(later), 40);
}

INSTANTIATE_TEST_SUITE_P(SoftwareBoardMovie, SoftwareBoardMovieFrames,
                         ::testing::Values(MovieCodec::Mjpeg, MovieCodec::Uncompressed,
                                           MovieCodec::Mpeg4),
                         [](const ::testing::TestParamInfo<MovieCodec>& info) {
                           switch (info.param) {
                             case MovieCodec::Mjpeg: return std::string("Mjpeg");
                             case MovieCodec::Uncompressed: return std::string("Uncompressed");
                             case MovieCodec::Mpeg4: return std::string("Mpeg4");
                           }
                           return std::string("Unknown");
                         });

// ---------------------------------------------------------------------------
// JPEG frames handed over compressed.

using SoftwareBoardMovieJpeg = SoftwareBoardMovieTest;

TEST_F(SoftwareBoardMovieJpeg, DecompressedBytesAreTheSameFrame) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 30;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  JpegImageComponent jpeg;
  YCrCbImageComponent decoded;
  std::mt19937 random(7);
  for (int i = 0; i < 12; ++i) {
    const int frame = static_cast<int>(random() % 30);
    const double seconds = (frame + 0.5) / 25.0;
    ASSERT_EQ(movie.CopyToJPEGImage(jpeg, seconds), KlpOk);
    ASSERT_GE(jpeg.Bytes().size(), 4u);
    EXPECT_EQ(jpeg.Bytes()[0], 0xFF);  // start of image
    EXPECT_EQ(jpeg.Bytes()[1], 0xD8);
    ASSERT_EQ(jpeg.DecompressToImage(decoded), KlpOk);
    EXPECT_EQ(decoded.Width(), 160);
    EXPECT_EQ(decoded.Height(), 120);
    EXPECT_EQ(NumberOf(decoded), frame);
    // The movie's own decoding of that time gives the same picture.
    ASSERT_EQ(movie.CopyToYCrCbImage(image_, seconds), KlpOk);
    EXPECT_EQ(RgbOf(image_), RgbOf(decoded)) << "frame " << frame;
  }
}

TEST_F(SoftwareBoardMovieJpeg, RefusedForOtherCodecsAndForeignImages) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 10;
  JpegImageComponent jpeg;
  for (MovieCodec codec : {MovieCodec::Uncompressed, MovieCodec::Mpeg4}) {
    params.codec = codec;
    PlayMovieComponent movie;
    ASSERT_EQ(movie.OpenFile(Write(params, "other.avi")), KlpOk);
    EXPECT_EQ(movie.CopyToJPEGImage(jpeg, 0.0), KlpBadFormat);
  }
  // Nothing held yet.
  EXPECT_EQ(jpeg.DecompressToImage(image_), KlpUnexpected);

  params.codec = MovieCodec::Mjpeg;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  ASSERT_EQ(movie.CopyToJPEGImage(jpeg, 0.0), KlpOk);
  testing::FakeComponentFactory fake;
  std::unique_ptr<IKlpPlayYCrCbImage> foreign;
  ASSERT_EQ(fake.CreatePlayYCrCbImage(foreign), KlpOk);
  EXPECT_EQ(jpeg.DecompressToImage(*foreign), KlpInvalidArgument);

  jpeg.TakeBytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x12, 0x34});
  EXPECT_EQ(jpeg.DecompressToImage(image_), KlpBadFormat);
  EXPECT_FALSE(image_.Picture() != nullptr && NumberOf(image_) >= 0);
}

// ---------------------------------------------------------------------------
// Files made by the ffmpeg program rather than by the test writer.

class SoftwareBoardMovieFfmpeg : public SoftwareBoardMovieTest {
 protected:
  void SetUp() override {
    if (!HasFfmpegProgram()) {
      GTEST_SKIP() << "no ffmpeg program on PATH";
    }
  }
};

TEST_F(SoftwareBoardMovieFfmpeg, TestSourceMjpeg) {
  const std::string path = dir_.File("out.avi");
  ASSERT_TRUE(RunFfmpeg("-f lavfi -i testsrc=size=320x240:rate=25 -t 2 -c:v mjpeg " + Quoted(path)));
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(path), KlpOk);
  const Info info = InfoOf(movie);
  EXPECT_EQ(info.flags, KlpStream::JpegVideo);
  EXPECT_EQ(info.width, 320);
  EXPECT_EQ(info.height, 240);
  EXPECT_DOUBLE_EQ(info.fps, 25.0);
  EXPECT_DOUBLE_EQ(info.videoS, 2.0);

  // The test source changes every frame: the pictures reached by jumping must
  // be those reached by playing in order.
  std::vector<std::vector<std::uint8_t>> inOrder;
  for (int frame = 0; frame < 50; ++frame) {
    ASSERT_EQ(movie.CopyToYCrCbImage(image_, frame / 25.0), KlpOk);
    inOrder.push_back(RgbOf(image_));
    if (frame > 0) {
      EXPECT_NE(inOrder[frame], inOrder[frame - 1]) << frame;
    }
  }
  for (int frame : {33, 4, 49, 17, 0, 26}) {
    ASSERT_EQ(movie.CopyToYCrCbImage(image_, (frame + 0.5) / 25.0), KlpOk);
    EXPECT_EQ(RgbOf(image_), inOrder[frame]) << frame;
  }
}

// Frame-numbered pictures encoded again by ffmpeg, with its own choice of
// headers, index and (for MPEG-4) frame types.
TEST_F(SoftwareBoardMovieFfmpeg, ReencodedMoviesGiveExactFrames) {
  MovieParams params;
  params.width = 320;
  params.height = 240;
  params.codec = MovieCodec::Uncompressed;
  params.frameCount = 50;
  const std::string source = Write(params, "source.avi");
  for (const char* codec : {"-c:v mjpeg -q:v 2", "-c:v mpeg4 -q:v 2 -g 15", "-c:v rawvideo -pix_fmt bgr24"}) {
    SCOPED_TRACE(codec);
    const std::string path = dir_.File("made.avi");
    ASSERT_TRUE(RunFfmpeg("-i " + Quoted(source) + " " + codec + " " + Quoted(path)));
    PlayMovieComponent movie;
    ASSERT_EQ(movie.OpenFile(path), KlpOk);
    EXPECT_DOUBLE_EQ(InfoOf(movie).videoS, 2.0);
    for (int frame : {37, 3, 49, 14, 15, 16, 0, 29, 30, 31, 22}) {
      EXPECT_EQ(FrameShownAt(movie, image_, (frame + 0.5) / 25.0), frame);
    }
  }
}

// ---------------------------------------------------------------------------
// Files and images the component cannot use.

using SoftwareBoardMovieRefusals = SoftwareBoardMovieTest;

TEST_F(SoftwareBoardMovieRefusals, BeforeAnyFileIsOpen) {
  PlayMovieComponent movie;
  EXPECT_EQ(InfoOf(movie).result, KlpUnexpected);
  EXPECT_EQ(movie.CopyToYCrCbImage(image_, 0.0), KlpUnexpected);
  JpegImageComponent jpeg;
  EXPECT_EQ(movie.CopyToJPEGImage(jpeg, 0.0), KlpUnexpected);
}

TEST_F(SoftwareBoardMovieRefusals, FilesThatAreNoMovies) {
  PlayMovieComponent movie;
  EXPECT_EQ(movie.OpenFile(dir_.File("missing.avi")), KlpFileNotFound);
  EXPECT_EQ(movie.OpenFile(dir_.WriteFile("zero.avi", "")), KlpBadFormat);
  EXPECT_EQ(movie.OpenFile(dir_.WriteFile("x.avi", "Not a movie at all, only some text.\n")),
            KlpBadFormat);
  EXPECT_EQ(movie.OpenFile(dir_.WriteFile("riff.avi", std::string("RIFF\x10\0\0\0AVI LIST", 16))),
            KlpBadFormat);
  testing::WavParams headerOnly;
  headerOnly.headerOnly = true;
  const std::string noSamples = dir_.File("empty.wav");
  ASSERT_TRUE(testing::WriteWav(noSamples, headerOnly));
  EXPECT_EQ(movie.OpenFile(noSamples), KlpBadFormat);
  EXPECT_EQ(InfoOf(movie).result, KlpUnexpected);
}

TEST_F(SoftwareBoardMovieRefusals, FailedOpenClosesTheMovieBefore) {
  MovieParams params;
  params.frameCount = 5;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  ASSERT_EQ(InfoOf(movie).result, KlpOk);
  EXPECT_EQ(movie.OpenFile(dir_.WriteFile("x.avi", "text")), KlpBadFormat);
  EXPECT_EQ(InfoOf(movie).result, KlpUnexpected);
  EXPECT_EQ(movie.CopyToYCrCbImage(image_, 0.0), KlpUnexpected);
}

TEST_F(SoftwareBoardMovieRefusals, TruncatedAvi) {
  for (MovieCodec codec : {MovieCodec::Mjpeg, MovieCodec::Uncompressed, MovieCodec::Mpeg4}) {
    SCOPED_TRACE(static_cast<int>(codec));
    MovieParams params;
    params.width = 160;
    params.height = 120;
    params.codec = codec;
    params.frameCount = 40;
    params.withAudio = true;
    const std::string path = Write(params, "cut.avi");
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    PlayMovieComponent movie;
    const KlpResult opened = movie.OpenFile(path);
    if (opened != KlpOk) {
      EXPECT_EQ(opened, KlpBadFormat);
      continue;
    }
    // What is left before the cut plays as it did.
    EXPECT_EQ(FrameShownAt(movie, image_, 2 / 25.0), 2);
    EXPECT_EQ(FrameShownAt(movie, image_, 1 / 25.0), 1);
    // Past the cut: a failure, or the last frame left; never a later frame,
    // a damaged picture, a crash or a hang.
    for (int frame : {38, 30, 25}) {
      const int shown = FrameShownAt(movie, image_, (frame + 0.5) / 25.0);
      EXPECT_TRUE(shown == kFailedCopy || (shown >= 2 && shown < frame)) << frame << " showed " << shown;
    }
    EXPECT_EQ(FrameShownAt(movie, image_, 3 / 25.0), 3);
  }
}

TEST_F(SoftwareBoardMovieRefusals, ForeignImages) {
  MovieParams params;
  params.frameCount = 3;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  testing::FakeComponentFactory fake;
  std::unique_ptr<IKlpPlayYCrCbImage> foreign;
  ASSERT_EQ(fake.CreatePlayYCrCbImage(foreign), KlpOk);
  EXPECT_EQ(movie.CopyToYCrCbImage(*foreign, 0.0), KlpInvalidArgument);
  std::unique_ptr<IKlpPlayJPEGImage> foreignJpeg;
  ASSERT_EQ(fake.CreatePlayJPEGImage(foreignJpeg), KlpOk);
  EXPECT_EQ(movie.CopyToJPEGImage(*foreignJpeg, 0.0), KlpInvalidArgument);
}

TEST_F(SoftwareBoardMovieRefusals, RgbBufferTooSmallOrNoPicture) {
  std::vector<std::uint8_t> buffer(320 * 240 * 3, 0xAB);
  IKlpYCrCbImageRGB* rgb = nullptr;
  ASSERT_EQ(image_.QueryYCrCbImageRGB(rgb), KlpOk);
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(rgb->GetRGBData(buffer.data(), buffer.size()), KlpUnexpected);

  MovieParams params;
  params.frameCount = 3;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  ASSERT_EQ(movie.CopyToYCrCbImage(image_, 0.0), KlpOk);
  EXPECT_EQ(rgb->GetRGBData(buffer.data(), buffer.size() - 1), KlpInvalidArgument);
  EXPECT_EQ(buffer.front(), 0xAB);  // a refused buffer is left as it was
  EXPECT_EQ(buffer.back(), 0xAB);
  EXPECT_EQ(rgb->GetRGBData(buffer.data(), buffer.size()), KlpOk);
  EXPECT_EQ(testing::ReadFrameNumber(buffer.data(), 320, 240), 0);
}

// ---------------------------------------------------------------------------
// Alpha pictures, decoding on without seeks, dropped frames, misnamed files.

TEST_F(SoftwareBoardMovieTest, PictureStreamWithAlphaIsMarkedSo) {
  if (!HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program";
  const std::string path = dir_.File("alpha.avi");
  ASSERT_TRUE(RunFfmpeg("-f lavfi -i testsrc=size=64x48:rate=25 -t 0.4 -c:v png -pix_fmt rgba " + Quoted(path)));
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(path), KlpOk);
  EXPECT_EQ(InfoOf(movie).flags, KlpStream::AlphaVideo);
  EXPECT_EQ(movie.CopyToYCrCbImage(image_, 0.2), KlpOk);
  EXPECT_EQ(image_.Width(), 64);
}

TEST_F(SoftwareBoardMovieTest, FramesInOrderAreDecodedOnWithoutSeeking) {
  MovieParams params;
  params.width = 160;
  params.height = 120;
  params.codec = MovieCodec::Mpeg4;
  params.frameCount = 40;
  params.gopSize = 10;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(params)), KlpOk);
  for (int frame = 0; frame < 40; ++frame) ASSERT_EQ(FrameShownAt(movie, image_, frame / 25.0), frame);
  EXPECT_EQ(movie.Decoder().SeekCount(), 1);
  // The same frame again needs no decoding at all; a short step ahead decodes on.
  EXPECT_EQ(FrameShownAt(movie, image_, 39 / 25.0), 39);
  ASSERT_EQ(FrameShownAt(movie, image_, 5 / 25.0), 5);
  ASSERT_EQ(FrameShownAt(movie, image_, 9 / 25.0), 9);
  EXPECT_EQ(movie.Decoder().SeekCount(), 2);
  EXPECT_EQ(FrameShownAt(movie, image_, std::numeric_limits<double>::infinity()), 39);
  EXPECT_EQ(FrameShownAt(movie, image_, std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST_F(SoftwareBoardMovieTest, JpegCopiesInOrderReadOnWithoutSeeking) {
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
    ASSERT_EQ(NumberOf(image_), frame);
  }
  EXPECT_EQ(movie.Decoder().SeekCount(), 1);
  // Decoded pictures after the copies still start from a seek of their own.
  EXPECT_EQ(FrameShownAt(movie, image_, 3 / 25.0), 3);
  EXPECT_EQ(FrameShownAt(movie, image_, 4 / 25.0), 4);
  EXPECT_EQ(movie.Decoder().SeekCount(), 2);
}

TEST_F(SoftwareBoardMovieTest, DroppedFrameShowsThePictureBeforeIt) {
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
  EXPECT_EQ(FrameShownAt(movie, image_, 1 / 25.0), 1);
  EXPECT_EQ(FrameShownAt(movie, image_, 2 / 25.0), 1);
  EXPECT_EQ(FrameShownAt(movie, image_, 3 / 25.0), 1);
  EXPECT_EQ(FrameShownAt(movie, image_, 4 / 25.0), 4);
  EXPECT_EQ(FrameShownAt(movie, image_, 3 / 25.0), 1);  // reached by a seek this time
}

TEST_F(SoftwareBoardMovieTest, RefusesWhatIsNoAviOrWav) {
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
