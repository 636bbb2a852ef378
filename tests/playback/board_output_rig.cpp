#include "board_output_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "support/test_media_writer.h"

namespace vantorelle::testing {
namespace {

void PutLittle(std::string& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

bool WriteToneWav(const std::string& path, int sampleRate, int channels, double frequency, double amplitude,
                  double seconds) {
  const auto frames = static_cast<std::uint32_t>(std::llround(seconds * sampleRate));
  const std::uint32_t dataBytes = frames * channels * 2;
  std::string bytes = "RIFF";
  PutLittle(bytes, 36 + dataBytes, 4);
  bytes += "WAVEfmt ";
  PutLittle(bytes, 16, 4);
  PutLittle(bytes, 1, 2);
  PutLittle(bytes, channels, 2);
  PutLittle(bytes, sampleRate, 4);
  PutLittle(bytes, sampleRate * channels * 2, 4);
  PutLittle(bytes, channels * 2, 2);
  PutLittle(bytes, 16, 2);
  bytes += "data";
  PutLittle(bytes, dataBytes, 4);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double value = frequency > 0.0 ? amplitude * std::sin(2.0 * M_PI * frequency * i / sampleRate) : amplitude;
    const auto sample = static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0));
    for (int c = 0; c < channels; ++c) PutLittle(bytes, static_cast<std::uint16_t>(sample), 2);
  }
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

BoardOutputRig::BoardOutputRig(SoftwareBoardFormat format)
    : format_(format), clock_(std::make_shared<VirtualBoardClock>()),
      output_(std::make_shared<BoardOutput>(format)), pump_(*output_, *clock_) {
  output_->SetSink(&sink_);
  factory_ = CreateSoftwareBoardFactory(format_, SoftwareBoardWiring{clock_, output_});
  EXPECT_EQ(factory_->CreateBoard(board_), KlpOk);
}

std::unique_ptr<IKlpPlayMovie> BoardOutputRig::Movie(const std::string& path) {
  std::unique_ptr<IKlpPlayMovie> movie;
  EXPECT_EQ(factory_->CreatePlayMovie(movie), KlpOk);
  EXPECT_EQ(movie->OpenFile(path), KlpOk) << path;
  return movie;
}

std::unique_ptr<IKlpPlayStillImage> BoardOutputRig::Image(const std::string& path) {
  std::unique_ptr<IKlpPlayStillImage> image;
  EXPECT_EQ(factory_->CreatePlayStillImage(image), KlpOk);
  EXPECT_EQ(image->OpenFile(path, 0), KlpOk) << path;
  return image;
}

std::unique_ptr<IKlpSuperClip> BoardOutputRig::VideoClip(IKlpPlayMovie& movie, double inS, double durationS) {
  std::unique_ptr<IKlpSuperClip> clip;
  EXPECT_EQ(board_->CreateSuperClip(7, 6, clip), KlpOk);
  EXPECT_EQ(clip->AddMovieFragment(movie, inS, durationS), KlpOk);
  return clip;
}

std::unique_ptr<IKlpSuperClip> BoardOutputRig::SoundClip(IKlpPlayMovie& movie, double inS, double durationS,
                                                         double level, double fadeInS, double fadeOutS) {
  std::unique_ptr<IKlpSuperClip> clip;
  EXPECT_EQ(board_->CreateSuperClip(0x1000, 6, clip), KlpOk);
  EXPECT_EQ(clip->AddMovieFragmentWithAudio(movie, inS, durationS, level, fadeInS, fadeOutS, 3), KlpOk);
  return clip;
}

std::unique_ptr<IKlpVTimeLine> BoardOutputRig::VideoLine() {
  std::unique_ptr<IKlpVTimeLine> line;
  EXPECT_EQ(board_->CreateVTimeLine(0, 0x1000000, 0x800000, 0, line), KlpOk);
  return line;
}

std::unique_ptr<IKlpAudioTimeLine> BoardOutputRig::AudioLine() {
  std::unique_ptr<IKlpAudioTimeLine> line;
  EXPECT_EQ(board_->CreateAudioTimeLine(0, 0x200000, 0x100000, 0, line), KlpOk);
  return line;
}

std::string BoardOutputRig::SolidMovie(const std::string& name, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                       double seconds) {
  MovieParams params;
  params.width = format_.width;
  params.height = format_.height;
  params.framesPerSecond = format_.framesPerSecond;
  params.frameCount = static_cast<int>(std::lround(seconds * format_.framesPerSecond));
  params.pattern = FramePattern::Solid;
  params.colour = Rgb{r, g, b};
  const std::string path = dir_.File(name);
  std::string error;
  EXPECT_TRUE(WriteAvi(path, params, &error)) << error;
  return path;
}

double PeakAround(const CaptureSink& sink, std::size_t frame, int channel) {
  const std::size_t half = kBoardSampleRate / 2000;
  const std::size_t from = frame > half ? frame - half : 0;
  const std::size_t to = std::min(sink.AudioFrames(), frame + half);
  double peak = 0.0;
  for (std::size_t i = from; i < to; ++i) peak = std::max(peak, std::fabs(double{sink.Audio()[i * 2 + channel]}));
  return peak;
}

}  // namespace vantorelle::testing
