// The software board's movie component and its picture components: what a
// file holds, the exact frame at any time, and refusals of bad files.
#include "playback/software_board/play_movie_component.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "playback/software_board/jpeg_image_component.h"
#include "playback/software_board/ycrcb_image_component.h"
#include "support/avi_builder.h"
#include "support/fake_board.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::MovieCodec;
using testing::MovieSpec;
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
  std::string Write(const MovieSpec& spec, const std::string& name = "movie.avi") {
    const std::string path = dir_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteAvi(path, spec, &error)) << error;
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

TEST_F(PlayMovieTest, ReportsWhatEachKindOfFileHolds) {
  MovieSpec mjpeg;
  mjpeg.width = 352;
  mjpeg.height = 288;
  mjpeg.frameCount = 50;
  mjpeg.withAudio = true;
  mjpeg.audioSampleRate = 44100;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(mjpeg, "mjpeg.avi")), KlpOk);
  Info info = InfoOf(movie);
  EXPECT_EQ(info.flags, KlpStream::JpegVideo | KlpStream::Audio);
  EXPECT_EQ(info.width, 352);
  EXPECT_EQ(info.height, 288);
  EXPECT_DOUBLE_EQ(info.videoS, 2.0);
  EXPECT_DOUBLE_EQ(info.fps, 25.0);
  EXPECT_NEAR(info.audioS, 2.0, 0.001);
  EXPECT_EQ(info.extra.audioSampleRate, 44100.0);
  EXPECT_EQ(info.extra.audioBitsPerSample, 16);
  EXPECT_EQ(info.extra.audioChannels, 2);

  for (MovieCodec codec : {MovieCodec::Uncompressed, MovieCodec::Mpeg4}) {
    MovieSpec spec;
    spec.codec = codec;
    spec.frameCount = 30;
    spec.framesPerSecond = 30000.0 / 1001.0;
    PlayMovieComponent other;
    ASSERT_EQ(other.OpenFile(Write(spec, "other.avi")), KlpOk);
    info = InfoOf(other);
    EXPECT_EQ(info.flags, KlpStream::YCrCbVideo);
    EXPECT_NEAR(info.fps, 29.97, 0.001);
    EXPECT_NEAR(info.videoS, 30 / (30000.0 / 1001.0), 1e-9);
    EXPECT_EQ(info.audioS, 0.0);
  }

  testing::WavSpec wav;
  wav.sampleRate = 22050;
  wav.channels = 1;
  wav.seconds = 1.25;
  const std::string wavPath = dir_.File("voice.wav");
  ASSERT_TRUE(testing::WriteWav(wavPath, wav));
  PlayMovieComponent sound;
  ASSERT_EQ(sound.OpenFile(wavPath), KlpOk);
  info = InfoOf(sound);
  EXPECT_EQ(info.flags, KlpStream::Audio);
  EXPECT_EQ(info.width, 0);
  EXPECT_NEAR(info.audioS, 1.25, 0.001);
  EXPECT_EQ(info.extra.audioSampleRate, 22050.0);
  EXPECT_EQ(info.extra.audioChannels, 1);
  EXPECT_EQ(sound.CopyToYCrCbImage(image_, 0.0), KlpBadFormat);
}

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

// Every codec the writer makes: random times, backwards jumps, times inside a
// frame and around its edges, and times outside the movie.
TEST_F(PlayMovieTest, GivesExactlyTheFrameAtEveryTime) {
  for (MovieCodec codec : {MovieCodec::Mjpeg, MovieCodec::Uncompressed, MovieCodec::Mpeg4}) {
    SCOPED_TRACE(static_cast<int>(codec));
    MovieSpec spec;
    spec.width = 192;
    spec.height = 144;
    spec.codec = codec;
    spec.frameCount = 60;
    spec.gopSize = 12;
    PlayMovieComponent movie;
    ASSERT_EQ(movie.OpenFile(Write(spec)), KlpOk);
    const double fps = 25.0;
    EXPECT_EQ(FrameShownAt(movie, 0.0), 0);
    EXPECT_EQ(FrameShownAt(movie, 30 / fps), 30);
    EXPECT_EQ(FrameShownAt(movie, 30.5 / fps), 30);
    EXPECT_EQ(FrameShownAt(movie, 31 / fps - 1e-4), 30);
    EXPECT_EQ(FrameShownAt(movie, 13 / fps), 13);  // back, into an earlier group
    EXPECT_EQ(FrameShownAt(movie, 59 / fps), 59);
    EXPECT_EQ(FrameShownAt(movie, 100.0), 59);  // past the end: the last frame
    EXPECT_EQ(FrameShownAt(movie, -1.0), 0);
    std::mt19937 random(static_cast<unsigned>(codec) + 5);
    for (int i = 0; i < 25; ++i) {
      const int frame = static_cast<int>(random() % 60);
      EXPECT_EQ(FrameShownAt(movie, (frame + 0.25) / fps), frame);
    }
  }
}

TEST_F(PlayMovieTest, FramesInOrderAreDecodedOnWithoutSeeking) {
  MovieSpec spec;
  spec.width = 160;
  spec.height = 120;
  spec.codec = MovieCodec::Mpeg4;
  spec.frameCount = 40;
  spec.gopSize = 10;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(spec)), KlpOk);
  for (int frame = 0; frame < 40; ++frame) ASSERT_EQ(FrameShownAt(movie, frame / 25.0), frame);
  EXPECT_EQ(movie.Decoder().SeekCount(), 1);
  // The same frame again needs no decoding at all; a short step ahead decodes on.
  EXPECT_EQ(FrameShownAt(movie, 39 / 25.0), 39);
  ASSERT_EQ(FrameShownAt(movie, 5 / 25.0), 5);
  ASSERT_EQ(FrameShownAt(movie, 9 / 25.0), 9);
  EXPECT_EQ(movie.Decoder().SeekCount(), 2);
}

TEST_F(PlayMovieTest, JpegFramesAreHandedOverCompressed) {
  MovieSpec spec;
  spec.width = 160;
  spec.height = 120;
  spec.frameCount = 20;
  PlayMovieComponent movie;
  ASSERT_EQ(movie.OpenFile(Write(spec)), KlpOk);
  JpegImageComponent jpeg;
  EXPECT_EQ(jpeg.DecompressToImage(image_), KlpUnexpected);
  for (int frame : {7, 2, 19, 3}) {
    ASSERT_EQ(movie.CopyToJPEGImage(jpeg, (frame + 0.5) / 25.0), KlpOk);
    ASSERT_GE(jpeg.Bytes().size(), 2u);
    EXPECT_EQ(jpeg.Bytes()[0], 0xFF);
    EXPECT_EQ(jpeg.Bytes()[1], 0xD8);
    ASSERT_EQ(jpeg.DecompressToImage(image_), KlpOk);
    std::vector<std::uint8_t> pixels(160 * 120 * 3);
    IKlpYCrCbImageRGB* rgb = nullptr;
    ASSERT_EQ(image_.QueryYCrCbImageRGB(rgb), KlpOk);
    ASSERT_EQ(rgb->GetRGBData(pixels.data(), pixels.size()), KlpOk);
    EXPECT_EQ(testing::ReadFrameNumber(pixels.data(), 160, 120), frame);
  }
  // Decoding pictures after handing over bytes still gives exact frames.
  EXPECT_EQ(FrameShownAt(movie, 4 / 25.0), 4);
  EXPECT_EQ(FrameShownAt(movie, 5 / 25.0), 5);

  MovieSpec mpeg4 = spec;
  mpeg4.codec = MovieCodec::Mpeg4;
  PlayMovieComponent other;
  ASSERT_EQ(other.OpenFile(Write(mpeg4, "mpeg4.avi")), KlpOk);
  EXPECT_EQ(other.CopyToJPEGImage(jpeg, 0.0), KlpBadFormat);

  jpeg.TakeBytes({0xFF, 0xD8, 0x00, 0x01, 0x02});
  EXPECT_EQ(jpeg.DecompressToImage(image_), KlpBadFormat);
}

TEST_F(PlayMovieTest, DroppedFrameShowsThePictureBeforeIt) {
  MovieSpec spec;
  spec.width = 160;
  spec.height = 120;
  spec.frameCount = 5;
  const std::vector<std::string> packets = testing::ReadVideoPackets(Write(spec));
  ASSERT_EQ(packets.size(), 5u);
  testing::AviBuildSpec built;
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

TEST_F(PlayMovieTest, RefusesFilesItCannotPlay) {
  PlayMovieComponent movie;
  std::uint32_t flags = 0;
  std::int32_t w = 0, h = 0;
  double v = 0, f = 0, a = 0;
  EXPECT_EQ(movie.GetMovieInfo(0, flags, w, h, v, f, a, nullptr), KlpUnexpected);
  EXPECT_EQ(movie.CopyToYCrCbImage(image_, 0.0), KlpUnexpected);

  EXPECT_EQ(movie.OpenFile(dir_.File("missing.avi")), KlpFileNotFound);
  EXPECT_EQ(movie.OpenFile(dir_.Path().string()), KlpFileNotFound);
  EXPECT_EQ(movie.OpenFile(dir_.WriteFile("zero.avi", "")), KlpBadFormat);
  EXPECT_EQ(movie.OpenFile(dir_.WriteFile("x.avi", "This is a text file, not a movie.\n")), KlpBadFormat);
  EXPECT_EQ(movie.OpenFile(dir_.WriteFile("noise.avi", std::string(4096, '\x7F'))), KlpBadFormat);
  testing::WavSpec headerOnly;
  headerOnly.headerOnly = true;
  const std::string noData = dir_.File("nodata.wav");
  ASSERT_TRUE(testing::WriteWav(noData, headerOnly));
  EXPECT_EQ(movie.OpenFile(noData), KlpBadFormat);
  const std::string png = dir_.File("picture.avi");
  ASSERT_TRUE(testing::WriteImage(png, testing::ImageFormat::Png, 16, 16, {1, 2, 3}));
  EXPECT_EQ(movie.OpenFile(png), KlpBadFormat);  // an image misnamed as a movie
  EXPECT_EQ(movie.GetMovieInfo(0, flags, w, h, v, f, a, nullptr), KlpUnexpected);

  // Only the board's own images can take its pictures.
  MovieSpec spec;
  spec.frameCount = 3;
  ASSERT_EQ(movie.OpenFile(Write(spec)), KlpOk);
  testing::FakeComponentFactory fake;
  std::unique_ptr<IKlpPlayYCrCbImage> foreign;
  ASSERT_EQ(fake.CreatePlayYCrCbImage(foreign), KlpOk);
  EXPECT_EQ(movie.CopyToYCrCbImage(*foreign, 0.0), KlpInvalidArgument);
  std::unique_ptr<IKlpPlayJPEGImage> foreignJpeg;
  ASSERT_EQ(fake.CreatePlayJPEGImage(foreignJpeg), KlpOk);
  EXPECT_EQ(movie.CopyToJPEGImage(*foreignJpeg, 0.0), KlpInvalidArgument);

  YCrCbImageComponent empty;
  std::vector<std::uint8_t> buffer(16);
  EXPECT_EQ(empty.GetRGBData(buffer.data(), buffer.size()), KlpUnexpected);
  ASSERT_EQ(movie.CopyToYCrCbImage(image_, 0.0), KlpOk);
  EXPECT_EQ(image_.GetRGBData(buffer.data(), buffer.size()), KlpInvalidArgument);
}

TEST_F(PlayMovieTest, TruncatedMovieKeepsWhatIsLeft) {
  for (MovieCodec codec : {MovieCodec::Mjpeg, MovieCodec::Mpeg4}) {
    MovieSpec spec;
    spec.width = 160;
    spec.height = 120;
    spec.codec = codec;
    spec.frameCount = 40;
    spec.withAudio = true;
    const std::string path = Write(spec, "cut.avi");
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    PlayMovieComponent movie;
    if (movie.OpenFile(path) != KlpOk) continue;  // refusing is fine too
    EXPECT_EQ(FrameShownAt(movie, 2 / 25.0), 2);
    // Past the cut: the last frame left, or a failure; never a crash or a hang.
    for (int frame : {39, 30, 25, 1}) {
      const int shown = FrameShownAt(movie, frame / 25.0);
      EXPECT_TRUE(shown == -2 || (shown >= 0 && shown <= frame)) << frame << " showed " << shown;
    }
  }
}

TEST_F(PlayMovieTest, MoviesMadeByTheFfmpegProgram) {
  if (!HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program";
  for (const char* codec : {"-c:v mjpeg", "-c:v mpeg4 -g 30", "-c:v rawvideo -pix_fmt bgr24"}) {
    SCOPED_TRACE(codec);
    const std::string path = dir_.File("made.avi");
    const std::string command = std::string("ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25 "
                                            "-t 4 ") + codec + " '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    PlayMovieComponent movie;
    ASSERT_EQ(movie.OpenFile(path), KlpOk);
    const Info info = InfoOf(movie);
    EXPECT_DOUBLE_EQ(info.videoS, 4.0);
    EXPECT_EQ(info.width, 320);
    for (double time : {3.9, 0.5, 2.0, 3.96}) EXPECT_EQ(movie.CopyToYCrCbImage(image_, time), KlpOk);
  }
}

}  // namespace
}  // namespace vantorelle
