// Media files written from pictures and sound, read back by FFmpeg and by
// ffprobe as another player would read them.
#include "playback/media_file_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <iterator>
#include <numbers>

#include "playback/encoder_sink.h"
#include "playback/ffmpeg_handles.h"
#include "support/media_file_reader.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::DecodedMedia;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

std::vector<std::uint8_t> Solid(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = r;
    rgb[i + 1] = g;
    rgb[i + 2] = b;
  }
  return rgb;
}

// One second of red, one of blue, with two seconds of a 1 kHz tone at half level.
void WriteTestFile(const std::string& path, MediaFileFormat format) {
  std::string error;
  auto encoder = MediaFileEncoder::Open(path, {format, kWidth, kHeight, 25000, 48000}, error);
  ASSERT_TRUE(encoder) << error;
  const auto red = Solid(255, 0, 0);
  const auto blue = Solid(0, 0, 255);
  std::vector<float> tone(1920 * 2);  // one frame's worth of sound
  for (int frame = 0; frame < 50; ++frame) {
    ASSERT_TRUE(encoder->WriteVideoFrame(frame < 25 ? red.data() : blue.data())) << encoder->Error();
    for (int i = 0; i < 1920; ++i) {
      const double t = (frame * 1920 + i) / 48000.0;
      tone[2 * i] = tone[2 * i + 1] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 1000.0 * t));
    }
    ASSERT_TRUE(encoder->WriteAudio(tone.data(), 1920)) << encoder->Error();
  }
  EXPECT_TRUE(encoder->Finish()) << encoder->Error();
  EXPECT_EQ(encoder->VideoFramesWritten(), 50);
  EXPECT_EQ(encoder->AudioFramesWritten(), 96000);
}

double Rms(const std::vector<float>& samples, std::size_t from, std::size_t count) {
  double sum = 0.0;
  for (std::size_t i = from; i < from + count; ++i) sum += samples[i] * samples[i];
  return std::sqrt(sum / static_cast<double>(count));
}

void ExpectColour(const DecodedMedia& media, std::size_t frame, int r, int g, int b, int tolerance) {
  const auto colour = media.MeanColour(frame, kWidth / 2 - 8, kHeight / 2 - 8, 16);
  EXPECT_NEAR(colour.r, r, tolerance) << "frame " << frame;
  EXPECT_NEAR(colour.g, g, tolerance) << "frame " << frame;
  EXPECT_NEAR(colour.b, b, tolerance) << "frame " << frame;
}

struct Case {
  MediaFileFormat format;
  const char* file;
  const char* video;
  const char* audio;
  int colourTolerance;
  const char* name;
};

class MediaFileEncoderTest : public ::testing::TestWithParam<Case> {
 protected:
  testing::TempDir dir_;
};

TEST_P(MediaFileEncoderTest, PicturesAndSoundComeBackAsWritten) {
  const Case& c = GetParam();
  const std::string path = dir_.File(c.file);
  WriteTestFile(path, c.format);
  const auto media = testing::DecodeMediaFile(path);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->videoCodec, c.video);
  EXPECT_EQ(media->audioCodec, c.audio);
  EXPECT_EQ(media->width, kWidth);
  EXPECT_EQ(media->height, kHeight);
  EXPECT_NEAR(media->framesPerSecond, 25.0, 0.01);
  EXPECT_EQ(media->sampleRate, 48000);
  EXPECT_EQ(media->channels, 2);
  ASSERT_EQ(media->frames.size(), 50u);
  ExpectColour(*media, 5, 255, 0, 0, c.colourTolerance);
  ExpectColour(*media, 20, 255, 0, 0, c.colourTolerance);
  ExpectColour(*media, 30, 0, 0, 255, c.colourTolerance);
  ExpectColour(*media, 49, 0, 0, 255, c.colourTolerance);
  // Two seconds of sound (an AAC encoder adds at most a frame of priming).
  EXPECT_NEAR(static_cast<double>(media->audio.size() / 2), 96000.0, 2048.0);
  // A sine at half level has an RMS of 0.5 / √2 in the middle of the file.
  EXPECT_NEAR(Rms(media->audio, 48000, 9600), 0.5 / std::sqrt(2.0), 0.02);
}

TEST_P(MediaFileEncoderTest, FfprobeReadsTheStreams) {
  const Case& c = GetParam();
  const std::string path = dir_.File(c.file);
  WriteTestFile(path, c.format);
  const std::string command = "ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" + path + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_TRUE(pipe);
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  const int status = pclose(pipe);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) GTEST_SKIP() << "ffprobe is not installed";
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out, std::string(c.video) + "\n" + c.audio + "\n");
}

INSTANTIATE_TEST_SUITE_P(Formats, MediaFileEncoderTest,
                         ::testing::Values(Case{MediaFileFormat::AviMjpegPcm, "out.avi", "mjpeg", "pcm_s16le", 6, "Avi"},
                                           Case{MediaFileFormat::Mp4H264Aac, "out.mp4", "h264", "aac", 12, "Mp4"},
                                           Case{MediaFileFormat::MovProResPcm, "out.mov", "prores", "pcm_s16le", 4,
                                                "ProRes"},
                                           Case{MediaFileFormat::WebmVp9Opus, "out.webm", "vp9", "opus", 12, "WebM"}),
                         [](const auto& info) { return std::string(info.param.name); });

// What ffprobe says of the first stream of a kind: "key=value" lines.
std::string Probe(const std::string& path, const char* stream, const char* entries) {
  const std::string command = std::string("ffprobe -v error -select_streams ") + stream + " -show_entries stream=" +
                              entries + " -of default=noprint_wrappers=1 '" + path + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  pclose(pipe);
  return out;
}

bool HaveFfprobe() { return std::system("command -v ffprobe >/dev/null 2>&1") == 0; }

TEST(MediaFileEncoderKinds, ProResIsHighQuality422TenBitAndEveryYuvFormatCarriesItsColourTags) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe is not installed";
  testing::TempDir dir;
  struct TagCase {
    MediaFileFormat format;
    const char* file;
    int width;
    int height;
    const char* tags;
  };
  const TagCase cases[] = {
      {MediaFileFormat::MovProResPcm, "hd.mov", 1280, 720, "color_space=bt709\ncolor_primaries=bt709"},
      {MediaFileFormat::MovProResPcm, "sd.mov", 720, 576, "color_space=bt470bg\ncolor_primaries=bt470bg"},
      {MediaFileFormat::WebmVp9Opus, "hd.webm", 1280, 720, "color_space=bt709\ncolor_primaries=bt709"},
      {MediaFileFormat::WebmVp9Opus, "sd.webm", 720, 480, "color_space=smpte170m\ncolor_primaries=smpte170m"},
  };
  for (const TagCase& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = dir.File(c.file);
    std::string error;
    MediaFileSettings settings{c.format, c.width, c.height, c.height == 480 ? 29970 : 25000, 48000};
    auto encoder = MediaFileEncoder::Open(path, settings, error);
    ASSERT_TRUE(encoder) << error;
    const std::vector<std::uint8_t> grey(static_cast<std::size_t>(c.width) * c.height * 3, 128);
    ASSERT_TRUE(encoder->WriteVideoFrame(grey.data())) << encoder->Error();
    ASSERT_TRUE(encoder->Finish()) << encoder->Error();
    EXPECT_EQ(Probe(path, "v:0", "color_space,color_primaries"), std::string(c.tags) + "\n");
    if (c.format == MediaFileFormat::MovProResPcm) {
      EXPECT_EQ(Probe(path, "v:0", "profile,pix_fmt"), "profile=HQ\npix_fmt=yuv422p10le\n");
    }
  }
}

TEST(MediaFileEncoderKinds, SoundOnlyFilesHoldTheSoundExactlyAndNoPictures) {
  testing::TempDir dir;
  for (const auto& [format, file, codec] :
       {std::tuple{MediaFileFormat::WavPcm, "out.wav", "pcm_s16le"},
        std::tuple{MediaFileFormat::FlacSound, "out.flac", "flac"}}) {
    SCOPED_TRACE(file);
    const std::string path = dir.File(file);
    std::string error;
    auto encoder = MediaFileEncoder::Open(path, {format, kWidth, kHeight, 25000, 48000}, error);
    ASSERT_TRUE(encoder) << error;
    const auto red = Solid(255, 0, 0);
    std::vector<float> ramp(1920 * 2);
    for (int frame = 0; frame < 10; ++frame) {
      ASSERT_TRUE(encoder->WriteVideoFrame(red.data())) << encoder->Error();
      for (int i = 0; i < 1920; ++i) {
        ramp[2 * i] = static_cast<float>(((frame * 1920 + i) % 200) / 200.0 - 0.5);
        ramp[2 * i + 1] = -ramp[2 * i];
      }
      ASSERT_TRUE(encoder->WriteAudio(ramp.data(), 1920)) << encoder->Error();
    }
    ASSERT_TRUE(encoder->Finish()) << encoder->Error();
    EXPECT_EQ(encoder->VideoFramesWritten(), 0);
    const auto media = testing::DecodeMediaFile(path);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->videoCodec, "");
    EXPECT_TRUE(media->frames.empty());
    EXPECT_EQ(media->audioCodec, codec);
    EXPECT_EQ(media->sampleRate, 48000);
    ASSERT_EQ(media->audio.size(), 19200u * 2);
    for (std::size_t i = 0; i < media->audio.size(); i += 2) {
      const std::size_t n = i / 2;
      const double expected = (n % 200) / 200.0 - 0.5;
      ASSERT_NEAR(media->audio[i], expected, 1.0 / 16000) << "sample " << n;
      ASSERT_NEAR(media->audio[i + 1], -expected, 1.0 / 16000) << "sample " << n;
    }
  }
}

TEST(MediaFileEncoderKinds, APngHoldsTheFirstPictureExactly) {
  testing::TempDir dir;
  const std::string path = dir.File("still.png");
  std::string error;
  auto encoder = MediaFileEncoder::Open(path, {MediaFileFormat::PngPicture, kWidth, kHeight, 25000, 48000}, error);
  ASSERT_TRUE(encoder) << error;
  std::vector<std::uint8_t> gradient(static_cast<std::size_t>(kWidth) * kHeight * 3);
  for (std::size_t i = 0; i < gradient.size(); ++i) gradient[i] = static_cast<std::uint8_t>(i * 7 % 251);
  const auto blue = Solid(0, 0, 255);
  std::vector<float> silence(1920 * 2, 0.0f);
  ASSERT_TRUE(encoder->WriteVideoFrame(gradient.data())) << encoder->Error();
  ASSERT_TRUE(encoder->WriteAudio(silence.data(), 1920)) << encoder->Error();
  ASSERT_TRUE(encoder->WriteVideoFrame(blue.data())) << encoder->Error();
  ASSERT_TRUE(encoder->Finish()) << encoder->Error();
  const auto media = testing::DecodeMediaFile(path);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->videoCodec, "png");
  EXPECT_EQ(media->audioCodec, "");
  ASSERT_EQ(media->frames.size(), 1u);
  EXPECT_TRUE(media->frames.front() == gradient);
}

// A file of 10 frames of noise at the given quality; its size in bytes.
// The noise comes as RGB, or as reference-counted YUV frames in the
// encoder's own picture format, as the export's composed pictures come.
std::uintmax_t NoiseFileSize(const std::string& path, MediaFileFormat format, int quality, bool asYuv) {
  std::string error;
  MediaFileSettings settings{format, kWidth, kHeight, 25000, 48000};
  settings.quality = quality;
  auto encoder = MediaFileEncoder::Open(path, settings, error);
  if (!encoder) return 0;
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<std::uint8_t>(seed >> 24);
  };
  std::vector<std::uint8_t> noise(static_cast<std::size_t>(kWidth) * kHeight * 3);
  const YuvFormat yuv = EncoderPictureFormat(settings);
  for (int frame = 0; frame < 10; ++frame) {
    if (!asYuv) {
      for (std::uint8_t& byte : noise) byte = next();
      if (!encoder->WriteVideoFrame(noise.data())) return 0;
      continue;
    }
    AvFramePtr picture(av_frame_alloc());
    picture->width = kWidth;
    picture->height = kHeight;
    picture->format = yuv.format;
    picture->color_range = yuv.fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    picture->colorspace = static_cast<AVColorSpace>(yuv.matrix);
    if (av_frame_get_buffer(picture.get(), 0) < 0) return 0;
    const int chromaRows = yuv.format == AV_PIX_FMT_YUV420P ? kHeight / 2 : kHeight;
    for (int plane = 0; plane < 3; ++plane) {
      const int width = plane == 0 ? kWidth : kWidth / 2;
      for (int row = 0; row < (plane == 0 ? kHeight : chromaRows); ++row) {
        std::uint8_t* line = picture->data[plane] + static_cast<std::ptrdiff_t>(row) * picture->linesize[plane];
        for (int x = 0; x < width; ++x) line[x] = next();
      }
    }
    if (!encoder->WriteVideoFrame(*picture)) return 0;
  }
  if (!encoder->Finish()) return 0;
  return std::filesystem::file_size(path);
}

TEST(MediaFileEncoderKinds, TheQualityGivenReachesTheEncoder) {
  testing::TempDir dir;
  for (const bool asYuv : {false, true}) {
    for (const auto& [format, file, best, worst] :
         {std::tuple{MediaFileFormat::Mp4H264Aac, "q.mp4", 14, 35}, std::tuple{MediaFileFormat::WebmVp9Opus, "q.webm", 15, 50},
          std::tuple{MediaFileFormat::AviMjpegPcm, "q.avi", 2, 20}}) {
      SCOPED_TRACE(std::string(file) + (asYuv ? " from YUV frames" : " from RGB"));
      const std::uintmax_t large = NoiseFileSize(dir.File(std::string("best-") + file), format, best, asYuv);
      const std::uintmax_t small = NoiseFileSize(dir.File(std::string("worst-") + file), format, worst, asYuv);
      ASSERT_GT(small, 0u);
      // Noise keeps every detail it is given room for.
      EXPECT_GT(large, small * 2) << large << " vs " << small;
    }
  }
}

// Four bars side by side: red, green, blue and grey at 192.
std::vector<std::uint8_t> Bars(int width, int height) {
  const std::uint8_t colours[4][3] = {{192, 0, 0}, {0, 192, 0}, {0, 0, 192}, {192, 192, 192}};
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::memcpy(&rgb[(static_cast<std::size_t>(y) * width + x) * 3], colours[x * 4 / width], 3);
    }
  }
  return rgb;
}

// What the ffmpeg program makes of the file's first picture, as RGB24; empty when it cannot.
std::vector<std::uint8_t> FfmpegFirstPicture(const std::string& path, const std::string& rawPath) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y -i '" + path +
                              "' -frames:v 1 -f rawvideo -pix_fmt rgb24 '" + rawPath + "'";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream raw(rawPath, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(raw), std::istreambuf_iterator<char>());
}

TEST(MediaFileEncoderColour, BarsComeBackInTheirColoursAtEverySizeAsPlayersReadThem) {
  struct SizeCase {
    MediaFileFormat format;
    const char* file;
    int width;
    int height;
    int tolerance;
  };
  const SizeCase cases[] = {
      {MediaFileFormat::Mp4H264Aac, "hd.mp4", 1280, 720, 6},
      {MediaFileFormat::Mp4H264Aac, "sd.mp4", 720, 576, 6},
      {MediaFileFormat::AviMjpegPcm, "hd.avi", 1280, 720, 6},
  };
  testing::TempDir dir;
  const bool ffmpegProgram = std::system("command -v ffmpeg >/dev/null 2>&1") == 0;
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = dir.File(c.file);
    std::string error;
    auto encoder = MediaFileEncoder::Open(path, {c.format, c.width, c.height, 25000, 48000}, error);
    ASSERT_TRUE(encoder) << error;
    const std::vector<std::uint8_t> bars = Bars(c.width, c.height);
    for (int frame = 0; frame < 3; ++frame) ASSERT_TRUE(encoder->WriteVideoFrame(bars.data())) << encoder->Error();
    ASSERT_TRUE(encoder->Finish()) << encoder->Error();
    // Read back as players read pictures: by their tags, and untagged
    // high definition as BT.709.
    const auto media = testing::DecodeMediaFile(path);
    ASSERT_TRUE(media);
    ASSERT_FALSE(media->frames.empty());
    std::vector<std::vector<std::uint8_t>> readings{media->frames.front()};
    if (ffmpegProgram) readings.push_back(FfmpegFirstPicture(path, dir.File(std::string(c.file) + ".rgb")));
    for (const std::vector<std::uint8_t>& picture : readings) {
      ASSERT_EQ(picture.size(), bars.size());
      for (int bar = 0; bar < 4; ++bar) {
        const std::size_t at = (static_cast<std::size_t>(c.height / 2) * c.width + c.width * (2 * bar + 1) / 8) * 3;
        for (int channel = 0; channel < 3; ++channel) {
          EXPECT_NEAR(picture[at + channel], bars[at + channel], c.tolerance)
              << "bar " << bar << " channel " << channel << (&picture == &readings.front() ? "" : " (ffmpeg)");
        }
      }
    }
  }
}

TEST(MediaFileEncoderKinds, AnAbandonedFileIsClosedWithoutItsIndexAndTakesNothingMore) {
  testing::TempDir dir;
  const std::string path = dir.File("abandoned.mp4");
  std::string error;
  auto encoder = MediaFileEncoder::Open(path, {MediaFileFormat::Mp4H264Aac, kWidth, kHeight, 25000, 48000}, error);
  ASSERT_TRUE(encoder) << error;
  const auto red = Solid(255, 0, 0);
  for (int frame = 0; frame < 10; ++frame) ASSERT_TRUE(encoder->WriteVideoFrame(red.data()));
  encoder->Abandon();
  EXPECT_FALSE(encoder->WriteVideoFrame(red.data()));
  // An MP4 without its index cannot be read: nothing was flushed or finished.
  EXPECT_FALSE(testing::DecodeMediaFile(path).has_value());
}

TEST(MediaFileEncoderOpen, RefusesAFolderThatDoesNotExistAndABadFormat) {
  std::string error;
  EXPECT_FALSE(MediaFileEncoder::Open("/nonexistent-folder/x.avi", {}, error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
  MediaFileSettings bad;
  bad.width = 0;
  EXPECT_FALSE(MediaFileEncoder::Open("/tmp/x.avi", bad, error));
}

}  // namespace
}  // namespace vantorelle
