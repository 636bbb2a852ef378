// The movie decoder's frames by presentation time, read back from
// frame-numbered pictures: long-GOP codecs with B-frames in every common
// container give the frame whose presentation time is the latest at or before
// the time asked for (from the first frame on, after jumps either way and in
// order), and durations come from the frames the file really holds —
// variable frame rates, a cut file and a copied 60 fps stream included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "playback/ffmpeg_handles.h"
#include "playback/software_board/movie_file_decoder.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::MovieCodec;
using testing::MovieParams;
using testing::TempDir;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrames = 60;
constexpr double kFps = 25.0;
constexpr int kNoPicture = -2;

bool HasFfmpegProgram() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

bool RunFfmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The number drawn in the picture the decoder gives for frame n.
int NumberOfFrame(MovieFileDecoder& decoder, std::int64_t n) {
  const AVFrame* frame = decoder.DecodeFrame(n);
  if (!frame) return kNoPicture;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(frame->width) * frame->height * 3);
  SwsContextPtr scaler;
  if (!ConvertFrameToRgb24(*frame, scaler, rgb.data())) return kNoPicture;
  return testing::ReadFrameNumber(rgb.data(), frame->width, frame->height);
}

int NumberShownAt(MovieFileDecoder& decoder, double seconds) {
  return NumberOfFrame(decoder, decoder.FrameAt(seconds));
}

class ExactMovieFramesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program on PATH";
  }

  // Frame-numbered pictures, stored without loss so every encoder starts
  // from clean numbers.
  std::string NumberedSource(int frames = kFrames, double fps = kFps, MovieCodec codec = MovieCodec::Uncompressed) {
    MovieParams params;
    params.width = kWidth;
    params.height = kHeight;
    params.frameCount = frames;
    params.framesPerSecond = fps;
    params.codec = codec;
    const std::string path = dir_.File("source" + std::to_string(sources_++) + ".avi");
    std::string error;
    EXPECT_TRUE(testing::WriteAvi(path, params, &error)) << error;
    return path;
  }

  TempDir dir_;
  int sources_ = 0;
};

struct Encoding {
  const char* name;
  const char* arguments;
  const char* extension;
  bool alpha = false;  // the pictures carry an alpha channel
};

void PrintTo(const Encoding& encoding, std::ostream* out) { *out << encoding.name; }

class ExactMovieFramesByCodec : public ExactMovieFramesTest, public ::testing::WithParamInterface<Encoding> {
 protected:
  void SetUp() override {
    ExactMovieFramesTest::SetUp();
    if (IsSkipped()) return;
    path_ = dir_.File(std::string("movie.") + GetParam().extension);
    ASSERT_TRUE(RunFfmpeg("-i " + Quoted(NumberedSource()) + " " + GetParam().arguments + " " + Quoted(path_)));
    ASSERT_EQ(decoder_.Open(path_), KlpOk);
  }

  std::string path_;
  MovieFileDecoder decoder_;
};

TEST_P(ExactMovieFramesByCodec, LengthIsTheFramesHeld) {
  const MovieFacts& facts = decoder_.Facts();
  EXPECT_EQ(facts.frameCount, kFrames);
  EXPECT_NEAR(facts.videoSeconds, kFrames / kFps, 1e-6);
  EXPECT_NEAR(facts.framesPerSecond, kFps, 1e-6);
  for (int frame : {0, 1, 17, kFrames - 1}) EXPECT_NEAR(decoder_.FrameSeconds(frame), frame / kFps, 1e-6) << frame;
}

TEST_P(ExactMovieFramesByCodec, FirstFrameShowsAtOnce) {
  EXPECT_EQ(NumberShownAt(decoder_, 0.0), 0);
  EXPECT_EQ(NumberShownAt(decoder_, 0.5 / kFps), 0);
  EXPECT_EQ(NumberShownAt(decoder_, 1.0 / kFps), 1);
}

TEST_P(ExactMovieFramesByCodec, JumpsBackwardsAndForwardsGiveTheirFrames) {
  // Around key frames (every 12th), inside groups, and back again.
  for (int frame : {30, 11, 12, 13, 47, 23, 24, 2, 59, 36, 35, 0, 58, 1}) {
    EXPECT_EQ(NumberShownAt(decoder_, (frame + 0.5) / kFps), frame) << "at frame " << frame;
    EXPECT_EQ(NumberShownAt(decoder_, frame / kFps), frame) << "at the start of frame " << frame;
  }
  std::mt19937 random(20);
  for (int i = 0; i < 20; ++i) {
    const int frame = static_cast<int>(random() % kFrames);
    EXPECT_EQ(NumberShownAt(decoder_, (frame + 0.9) / kFps), frame);
  }
}

TEST_P(ExactMovieFramesByCodec, InOrderEveryFrameWithoutSeekingAgain) {
  for (int frame = 0; frame < kFrames; ++frame) ASSERT_EQ(NumberShownAt(decoder_, frame / kFps), frame);
  EXPECT_EQ(decoder_.SeekCount(), 1);
  EXPECT_EQ(NumberShownAt(decoder_, 100.0), kFrames - 1);
}

// Decoded with the decoder that keeps the alpha where the stream has one.
TEST_P(ExactMovieFramesByCodec, PicturesHaveAlphaExactlyWhereTheStreamHasIt) {
  EXPECT_EQ(decoder_.Facts().videoHasAlpha, GetParam().alpha);
  for (int frame : {0, 30, 13}) {
    const AVFrame* picture = decoder_.DecodeFrame(frame);
    ASSERT_NE(picture, nullptr) << frame;
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(picture->format));
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ((pixels->flags & AV_PIX_FMT_FLAG_ALPHA) != 0, GetParam().alpha) << pixels->name;
  }
}

// Several decoding threads (frame threads where pictures carry timestamps)
// hold pictures back longer; the frames stay the same.
TEST_P(ExactMovieFramesByCodec, ThreadsGiveTheSameFrames) {
  ASSERT_TRUE(decoder_.SetDecodingThreads(3));
  for (int frame : {30, 11, 12, 59, 0, 1, 2, 47, 23, 24, 25, 58}) {
    EXPECT_EQ(NumberShownAt(decoder_, (frame + 0.5) / kFps), frame) << "at frame " << frame;
  }
  for (int frame = 0; frame < kFrames; ++frame) ASSERT_EQ(NumberShownAt(decoder_, frame / kFps), frame);
}

INSTANTIATE_TEST_SUITE_P(
    LongGops, ExactMovieFramesByCodec,
    ::testing::Values(
        Encoding{"H264Avi", "-c:v libx264 -bf 3 -g 12 -crf 16 -pix_fmt yuv420p", "avi"},
        Encoding{"H264Mp4", "-c:v libx264 -bf 3 -g 12 -crf 16 -pix_fmt yuv420p", "mp4"},
        Encoding{"H264Mov", "-c:v libx264 -bf 3 -g 12 -crf 16 -pix_fmt yuv420p", "mov"},
        Encoding{"H264Mkv", "-c:v libx264 -bf 3 -g 12 -crf 16 -pix_fmt yuv420p", "mkv"},
        Encoding{"H264Ts", "-c:v libx264 -bf 3 -g 12 -crf 16 -pix_fmt yuv420p", "ts"},
        Encoding{"H264M2ts", "-c:v libx264 -bf 3 -g 12 -crf 16 -pix_fmt yuv420p", "m2ts"},
        Encoding{"H264Flv", "-c:v libx264 -bf 3 -g 12 -crf 16 -pix_fmt yuv420p", "flv"},
        Encoding{"HevcMp4", "-c:v libx265 -x265-params bframes=3:keyint=12:min-keyint=12:log-level=error -crf 18 -pix_fmt yuv420p", "mp4"},
        Encoding{"HevcMkv", "-c:v libx265 -x265-params bframes=3:keyint=12:min-keyint=12:log-level=error -crf 18 -pix_fmt yuv420p", "mkv"},
        Encoding{"HevcAvi", "-c:v libx265 -x265-params bframes=3:keyint=12:min-keyint=12:log-level=error -crf 18 -pix_fmt yuv420p -tag:v HEVC", "avi"},
        Encoding{"Mpeg2Mpg", "-c:v mpeg2video -bf 2 -g 12 -q:v 2", "mpg"},
        Encoding{"Mpeg2Ts", "-c:v mpeg2video -bf 2 -g 12 -q:v 2", "ts"},
        Encoding{"Mpeg2Avi", "-c:v mpeg2video -bf 2 -g 12 -q:v 2", "avi"},
        Encoding{"Mpeg2Mxf", "-c:v mpeg2video -bf 2 -g 12 -q:v 2", "mxf"},
        Encoding{"Mpeg4Avi", "-c:v mpeg4 -bf 1 -g 12 -q:v 2", "avi"},
        Encoding{"Vp9Webm", "-c:v libvpx-vp9 -g 12 -crf 20 -b:v 0 -deadline realtime -cpu-used 8", "webm"},
        Encoding{"Vp9AlphaWebm",
                 "-c:v libvpx-vp9 -pix_fmt yuva420p -g 12 -crf 20 -b:v 0 -deadline realtime -cpu-used 8", "webm",
                 true},
        Encoding{"Vp8AlphaWebm", "-c:v libvpx -pix_fmt yuva420p -auto-alt-ref 0 -g 12 -crf 8 -b:v 2M -deadline realtime -cpu-used 8", "webm", true},
        Encoding{"TheoraOgv", "-c:v libtheora -g 12 -q:v 9", "ogv"},
        Encoding{"Wmv2Wmv", "-c:v wmv2 -g 12 -q:v 2", "wmv"}),
    [](const ::testing::TestParamInfo<Encoding>& info) { return std::string(info.param.name); });

// A phone video at 60 frames a second whose H.264 stream is copied into AVI
// (ticks of 1/120 s, a chunk every other tick): six seconds, not twelve.
TEST_F(ExactMovieFramesTest, CopiedSixtyFramesASecondStreamInAvi) {
  const std::string phone = dir_.File("phone.mp4");
  const std::string copied = dir_.File("copied.avi");
  ASSERT_TRUE(RunFfmpeg("-i " + Quoted(NumberedSource(360, 60.0, MovieCodec::Mjpeg)) +
                        " -c:v libx264 -bf 3 -g 60 -crf 16 -pix_fmt yuv420p " + Quoted(phone)));
  ASSERT_TRUE(RunFfmpeg("-i " + Quoted(phone) + " -c copy " + Quoted(copied)));
  MovieFileDecoder decoder;
  ASSERT_EQ(decoder.Open(copied), KlpOk);
  EXPECT_EQ(decoder.Facts().frameCount, 360);
  EXPECT_NEAR(decoder.Facts().videoSeconds, 6.0, 1e-6);
  EXPECT_NEAR(decoder.Facts().framesPerSecond, 60.0, 1e-6);
  for (int frame : {0, 180, 61, 359, 59, 60, 1}) EXPECT_EQ(NumberShownAt(decoder, (frame + 0.5) / 60.0), frame);
}

// A file cut short: the header promises four seconds, the file holds two.
TEST_F(ExactMovieFramesTest, CutAviLastsAsLongAsItsFrames) {
  const std::string path = dir_.File("cut.avi");
  ASSERT_TRUE(RunFfmpeg("-i " + Quoted(NumberedSource(100)) + " -c:v libx264 -bf 3 -g 12 -crf 16 -pix_fmt yuv420p " +
                        Quoted(path)));
  std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
  MovieFileDecoder decoder;
  ASSERT_EQ(decoder.Open(path), KlpOk);
  const MovieFacts& facts = decoder.Facts();
  // Key frames are larger than the rest: half the bytes hold fewer frames.
  EXPECT_GT(facts.frameCount, 12);
  EXPECT_LT(facts.frameCount, 60);
  EXPECT_NEAR(facts.videoSeconds, facts.frameCount / kFps, 1e-6);
  EXPECT_NEAR(facts.framesPerSecond, kFps, 1e-6);
  const int last = static_cast<int>(facts.frameCount) - 1;
  EXPECT_EQ(NumberShownAt(decoder, 3.9), last);
  EXPECT_EQ(NumberShownAt(decoder, 10.5 / kFps), 10);
}

// Frames left out at irregular places (a variable frame rate, as phones and
// screen recorders write): each kept frame shows from its own time until the
// next kept one.
TEST_F(ExactMovieFramesTest, VariableFrameRateIsPlacedByTimestamps) {
  const std::string path = dir_.File("vfr.mp4");
  // Keeps frames 0-9, then every third frame, then 40-59.
  ASSERT_TRUE(RunFfmpeg("-i " + Quoted(NumberedSource()) +
                        " -vf \"select='lt(n\\,10)+not(mod(n\\,3))+gte(n\\,40)'\" -fps_mode vfr"
                        " -c:v libx264 -bf 3 -g 12 -crf 16 -pix_fmt yuv420p " + Quoted(path)));
  std::vector<int> kept;
  for (int n = 0; n < kFrames; ++n) {
    if (n < 10 || n % 3 == 0 || n >= 40) kept.push_back(n);
  }
  MovieFileDecoder decoder;
  ASSERT_EQ(decoder.Open(path), KlpOk);
  ASSERT_EQ(decoder.Facts().frameCount, static_cast<std::int64_t>(kept.size()));
  EXPECT_NEAR(decoder.Facts().videoSeconds, kFrames / kFps, 1e-6);
  for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_NEAR(decoder.FrameSeconds(i), kept[i] / kFps, 1e-6) << i;
  // Every time, jumping about: the latest kept frame at or before it.
  std::mt19937 random(7);
  for (int i = 0; i < 40; ++i) {
    const int frame = static_cast<int>(random() % kFrames);
    const int expected = *(std::upper_bound(kept.begin(), kept.end(), frame) - 1);
    EXPECT_EQ(NumberShownAt(decoder, (frame + 0.5) / kFps), expected) << "at frame " << frame;
  }
  for (int frame = 0; frame < kFrames; ++frame) {
    const int expected = *(std::upper_bound(kept.begin(), kept.end(), frame) - 1);
    ASSERT_EQ(NumberShownAt(decoder, frame / kFps), expected) << "in order at frame " << frame;
  }
}

// A transport stream cut out of a longer one starts with a key frame whose
// B-frames behind it are shown before it and cannot be decoded: those times
// show the first picture that decodes, never a black one, and the frames
// after it are exact.
TEST_F(ExactMovieFramesTest, StreamCutBehindItsKeyFrameShowsItsFirstPicture) {
  const std::string whole = dir_.File("whole.ts");
  const std::string cut = dir_.File("cut.ts");
  ASSERT_TRUE(RunFfmpeg("-i " + Quoted(NumberedSource()) + " -c:v mpeg2video -bf 2 -g 12 -sc_threshold 1000000000 -q:v 2 " +
                        Quoted(whole)));
  ASSERT_TRUE(RunFfmpeg("-ss 1.0 -i " + Quoted(whole) + " -c copy " + Quoted(cut)));
  MovieFileDecoder decoder;
  ASSERT_EQ(decoder.Open(cut), KlpOk);
  // Frames 0 and 1 are the two B-frames shown before the key frame.
  const int key = NumberOfFrame(decoder, 2);
  ASSERT_GE(key, 0);
  EXPECT_EQ(NumberOfFrame(decoder, 0), key);
  EXPECT_EQ(NumberShownAt(decoder, 0.0), key);
  EXPECT_EQ(NumberOfFrame(decoder, 1), key);
  for (int frame : {7, 3, 12, 2, 9}) EXPECT_EQ(NumberOfFrame(decoder, frame), key + frame - 2) << frame;
}

}  // namespace
}  // namespace vantorelle
