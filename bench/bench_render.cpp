// Rendering a 60 s project to a file as fast as the machine allows: two
// video tracks of 720 × 576 MJPEG clips, four audio tracks, a slide title
// track and a crawl title track, played by the playback engine through the
// software board against a virtual clock. Measured with the output thrown
// away (the board's own work) and encoded to an MJPEG/PCM AVI (what
// "vantorelle-cli render" does). Real time is 25 frames a second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

#include "board_bench_project.h"
#include "model/file_in_work.h"
#include "playback/frame_image_worker.h"
#include "playback/media_file_encoder.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace {

using namespace vantorelle;
namespace support = vantorelle::testing;

constexpr TimeMs kProjectLength = 60000.0;
constexpr int kWidth = 720;
constexpr int kHeight = 576;

class EncoderSink : public IOutputSink {
 public:
  explicit EncoderSink(MediaFileEncoder& encoder) : encoder_(encoder) {}
  void OnVideoFrame(double, const RgbFrame& frame) override { encoder_.WriteVideoFrame(frame.pixels.data()); }
  void OnAudio(double, const float* samples, std::size_t frames) override { encoder_.WriteAudio(samples, frames); }
  void OnEnd() override {}

 private:
  MediaFileEncoder& encoder_;
};

// The media, written once for every run of the program.
struct Media {
  support::TempDir dir;
  bench::BenchProjectMedia files;

  Media() {
    support::MovieParams movie;
    movie.width = kWidth;
    movie.height = kHeight;
    movie.frameCount = 250;  // 10 s
    movie.pattern = support::FramePattern::FrameNumbered;
    files.movieA = dir.File("red.avi");
    files.movieB = dir.File("blue.avi");
    movie.colour = {220, 30, 30};
    if (!support::WriteAvi(files.movieA, movie)) throw std::runtime_error("red.avi");
    movie.colour = {30, 30, 220};
    if (!support::WriteAvi(files.movieB, movie)) throw std::runtime_error("blue.avi");
    bench::WriteBenchTitlesAndTone(dir.Path().string(), kProjectLength, files);
  }
};

Media& SharedMedia() {
  static Media media;
  return media;
}

bench::PlayResult PlayProject(IOutputSink& sink, bool realTime, const std::function<void()>& whileWaiting = {}) {
  bench::BenchProjectPlan plan;
  plan.format = SoftwareBoardFormat{kWidth, kHeight, 25.0};
  plan.length = kProjectLength;
  plan.cutEvery = 10000.0;
  return bench::PlayBenchProject(SharedMedia().files, plan, sink, realTime, whileWaiting);
}

void Report(benchmark::State& state, std::int64_t frames) {
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["xRealTime"] =
      benchmark::Counter(static_cast<double>(frames) / 25.0, benchmark::Counter::kIsRate);
}

void BM_RenderToNothing(benchmark::State& state) {
  SharedMedia();
  std::int64_t frames = 0;
  for (auto _ : state) {
    bench::NullSink sink;
    frames = PlayProject(sink, false).frames;
  }
  Report(state, frames * static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_RenderToNothing)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_RenderToMjpegAvi(benchmark::State& state) {
  SharedMedia();
  std::int64_t frames = 0;
  for (auto _ : state) {
    std::string error;
    auto encoder = MediaFileEncoder::Open(SharedMedia().dir.File("out.avi"), {}, error);
    if (!encoder) throw std::runtime_error(error);
    EncoderSink sink(*encoder);
    frames = PlayProject(sink, false).frames;
    encoder->Finish();
  }
  Report(state, frames * static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_RenderToMjpegAvi)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_RealTimePlaybackWithPictureWorker(benchmark::State& state) {
  const Media& media = SharedMedia();
  const SoftwareBoardFormat format{kWidth, kHeight, 25.0};
  support::ScriptedUserInterface ui;
  StillImageExtensions images;
  auto factory = CreateSoftwareBoardFactory(format);
  const auto red = MakeSourceFromFile(SourceReadContext{MediaReadContext{*factory, ui, FrameSizeRule{}}, images, nullptr},
                                      media.files.movieA);
  if (!red) throw std::runtime_error("red source");
  FileInWork fileInWork;
  FrameImageWorker worker(CreateSoftwareBoardFactory(format), fileInWork);
  bench::BusyPictureView view(*red);
  worker.Start(view, ui);
  bench::PlayResult result;
  for (auto _ : state) {
    bench::NullSink sink;
    result = PlayProject(sink, true, [&] {
      worker.Signal();
      worker.ServeHandOver();
    });
  }
  worker.Stop();
  state.counters["frames"] = static_cast<double>(result.frames);
  state.counters["late"] = static_cast<double>(result.late);
  state.counters["dropped"] = static_cast<double>(std::max<std::int64_t>(0, 1500 - result.frames));
  state.counters["thumbnails"] = view.Made();
}
BENCHMARK(BM_RealTimePlaybackWithPictureWorker)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
