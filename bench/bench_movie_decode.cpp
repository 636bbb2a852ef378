// Single frames out of a 720×576 MJPEG AVI, as the track area's thumbnails and
// the preview ask for them: 200 random times, and every frame in order. Each
// workload runs through the software board's movie component and through a
// minimal plain-libav loop (seek, decode, convert to RGB) in the same program,
// so the two figures compare like with like.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "playback/ffmpeg_handles.h"
#include "playback/software_board/play_movie_component.h"
#include "playback/software_board/ycrcb_image_component.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace {

using namespace vantorelle;

constexpr int kWidth = 720;
constexpr int kHeight = 576;
constexpr int kFrames = 250;
constexpr double kFps = 25.0;
constexpr int kRandomTimes = 200;

const std::string& MoviePath() {
  static testing::TempDir dir;
  static const std::string path = [] {
    testing::MovieParams params;
    params.width = kWidth;
    params.height = kHeight;
    params.frameCount = kFrames;
    params.framesPerSecond = kFps;
    const std::string file = dir.File("bench.avi");
    if (!testing::WriteAvi(file, params)) std::abort();
    return file;
  }();
  return path;
}

std::vector<double> RandomTimes() {
  std::mt19937 random(2026);
  std::vector<double> times;
  for (int i = 0; i < kRandomTimes; ++i) times.push_back((random() % kFrames + 0.5) / kFps);
  return times;
}

// The plain loop: what any program using libav directly would write.
class PlainLibavReader {
 public:
  explicit PlainLibavReader(const std::string& path) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) std::abort();
    input_.reset(raw);
    avformat_find_stream_info(raw, nullptr);
    const AVCodec* decoder = nullptr;
    stream_ = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream_ < 0 || !decoder) std::abort();
    codec_.reset(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(codec_.get(), raw->streams[stream_]->codecpar);
    codec_->thread_type = FF_THREAD_SLICE;
    if (avcodec_open2(codec_.get(), decoder, nullptr) < 0) std::abort();
    timeBase_ = raw->streams[stream_]->time_base;
    packet_.reset(av_packet_alloc());
    frame_.reset(av_frame_alloc());
    rgb_.resize(static_cast<std::size_t>(kWidth) * kHeight * 3);
  }

  void FrameAt(double seconds) {
    const std::int64_t target = static_cast<std::int64_t>(seconds * kFps);
    const std::int64_t timestamp = av_rescale_q(target, AVRational{1, static_cast<int>(kFps)}, timeBase_);
    av_seek_frame(input_.get(), stream_, timestamp, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec_.get());
    DecodeUntil(timestamp);
  }

  // Returns false at the end of the file.
  bool NextFrame() { return DecodeUntil(-1); }

  void Rewind() {
    av_seek_frame(input_.get(), stream_, 0, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec_.get());
  }

  const std::vector<std::uint8_t>& Rgb() const { return rgb_; }

 private:
  bool DecodeUntil(std::int64_t timestamp) {
    while (av_read_frame(input_.get(), packet_.get()) >= 0) {
      if (packet_->stream_index != stream_) {
        av_packet_unref(packet_.get());
        continue;
      }
      avcodec_send_packet(codec_.get(), packet_.get());
      av_packet_unref(packet_.get());
      while (avcodec_receive_frame(codec_.get(), frame_.get()) == 0) {
        if (frame_->best_effort_timestamp >= timestamp) {
          ConvertFrameToRgb24(*frame_, scaler_, rgb_.data());
          av_frame_unref(frame_.get());
          return true;
        }
        av_frame_unref(frame_.get());
      }
    }
    return false;
  }

  AvInputPtr input_;
  AvCodecContextPtr codec_;
  AvPacketPtr packet_;
  AvFramePtr frame_;
  SwsContextPtr scaler_;
  int stream_ = -1;
  AVRational timeBase_{1, 25};
  std::vector<std::uint8_t> rgb_;
};

void FrameThroughComponent(PlayMovieComponent& movie, YCrCbImageComponent& image,
                           std::vector<std::uint8_t>& rgb, double seconds) {
  if (movie.CopyToYCrCbImage(image, seconds) != KlpOk) std::abort();
  if (image.GetRGBData(rgb.data(), rgb.size()) != KlpOk) std::abort();
}

void RandomAccess_Component(benchmark::State& state) {
  const std::vector<double> times = RandomTimes();
  PlayMovieComponent movie;
  if (movie.OpenFile(MoviePath()) != KlpOk) std::abort();
  YCrCbImageComponent image;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
  for (auto _ : state) {
    for (double time : times) FrameThroughComponent(movie, image, rgb, time);
    benchmark::DoNotOptimize(rgb.data());
  }
  state.SetItemsProcessed(state.iterations() * kRandomTimes);
}

void RandomAccess_PlainLibav(benchmark::State& state) {
  const std::vector<double> times = RandomTimes();
  PlainLibavReader reader(MoviePath());
  for (auto _ : state) {
    for (double time : times) reader.FrameAt(time);
    benchmark::DoNotOptimize(reader.Rgb().data());
  }
  state.SetItemsProcessed(state.iterations() * kRandomTimes);
}

void Sequential_Component(benchmark::State& state) {
  PlayMovieComponent movie;
  if (movie.OpenFile(MoviePath()) != KlpOk) std::abort();
  YCrCbImageComponent image;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
  for (auto _ : state) {
    for (int frame = 0; frame < kFrames; ++frame) FrameThroughComponent(movie, image, rgb, frame / kFps);
    benchmark::DoNotOptimize(rgb.data());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}

void Sequential_PlainLibav(benchmark::State& state) {
  PlainLibavReader reader(MoviePath());
  for (auto _ : state) {
    reader.Rewind();
    int frames = 0;
    while (reader.NextFrame()) ++frames;
    if (frames != kFrames) std::abort();
    benchmark::DoNotOptimize(reader.Rgb().data());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}

// Alternated, so that drift of the machine's speed hits both sides alike.
BENCHMARK(RandomAccess_Component)->Unit(benchmark::kMillisecond);
BENCHMARK(RandomAccess_PlainLibav)->Unit(benchmark::kMillisecond);
BENCHMARK(Sequential_Component)->Unit(benchmark::kMillisecond);
BENCHMARK(Sequential_PlainLibav)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
