// Media files written from pictures and sound, read back by FFmpeg and by
// ffprobe as another player would read them.
#include "playback/media_file_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>

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
                         ::testing::Values(Case{MediaFileFormat::AviMjpegPcm, "out.avi", "mjpeg", "pcm_s16le", 6},
                                           Case{MediaFileFormat::Mp4H264Aac, "out.mp4", "h264", "aac", 12}),
                         [](const auto& info) { return info.index == 0 ? std::string("Avi") : std::string("Mp4"); });

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
