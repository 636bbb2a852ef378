// Playing a 60 s 1080p25 project in real time: two video tracks of 1080p
// H.264 movies (8 Mbit/s, 2 s GOPs) cut every 4 s, each clip starting at a
// different place in its movie so every cut seeks, four audio tracks, a
// slide and a crawl title track; the frame-picture worker is kept busy all
// the while, as a track area being scrolled would. Counters: frames made,
// late (made more than a frame after their time; aim 0) and dropped.
// The same project played as fast as possible gives the board's headroom
// ("xRealTime" above 1 means faster than real time).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "board_bench_project.h"
#include "model/file_in_work.h"
#include "playback/frame_image_worker.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"

namespace {

using namespace vantorelle;
namespace support = vantorelle::testing;

constexpr TimeMs kProjectLength = 60000.0;
constexpr int kMovieSeconds = 20;

void MakeMovie(const std::string& file, const std::string& pattern) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i " + pattern +
                              "=size=1920x1080:rate=25 -t " + std::to_string(kMovieSeconds) +
                              " -c:v libx264 -preset veryfast -b:v 8M -maxrate 8M -bufsize 16M -g 50 -bf 2"
                              " -pix_fmt yuv420p '" + file + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("ffmpeg could not make " + file);
}

struct Media {
  support::TempDir dir;
  bench::BenchProjectMedia files;

  Media() {
    files.movieA = dir.File("a.mp4");
    files.movieB = dir.File("b.mp4");
    MakeMovie(files.movieA, "testsrc2");
    MakeMovie(files.movieB, "mandelbrot");
    bench::WriteBenchTitlesAndTone(dir.Path().string(), kProjectLength, files);
  }
};

Media& SharedMedia() {
  static Media media;
  return media;
}

bench::BenchProjectPlan HdPlan() {
  bench::BenchProjectPlan plan;
  plan.format = SoftwareBoardFormatOf(1920, 1080, 25.0);
  plan.length = kProjectLength;
  plan.cutEvery = 4000.0;
  plan.shiftInPoints = true;
  return plan;
}

void BM_HdPlayAsFastAsPossible(benchmark::State& state) {
  SharedMedia();
  std::int64_t frames = 0;
  for (auto _ : state) {
    bench::NullSink sink;
    frames = bench::PlayBenchProject(SharedMedia().files, HdPlan(), sink, false).frames;
  }
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames) * state.iterations(),
                                             benchmark::Counter::kIsRate);
  state.counters["xRealTime"] = benchmark::Counter(static_cast<double>(frames) * state.iterations() / 25.0,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HdPlayAsFastAsPossible)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_HdRealTimePlaybackWithPictureWorker(benchmark::State& state) {
  const Media& media = SharedMedia();
  const bench::BenchProjectPlan plan = HdPlan();
  support::ScriptedUserInterface ui;
  StillImageExtensions images;
  auto factory = CreateSoftwareBoardFactory(plan.format);
  const auto movie = MakeSourceFromFile(
      SourceReadContext{MediaReadContext{*factory, ui, FrameSizeRule{}}, images, nullptr}, media.files.movieA);
  if (!movie) throw std::runtime_error("movie source");
  FileInWork fileInWork;
  FrameImageWorker worker(CreateSoftwareBoardFactory(plan.format), fileInWork);
  bench::BusyPictureView view(*movie);
  worker.Start(view, ui);
  bench::PlayResult result;
  for (auto _ : state) {
    bench::NullSink sink;
    result = bench::PlayBenchProject(media.files, plan, sink, true, [&] {
      worker.Signal();
      worker.ServeHandOver();
    });
  }
  worker.Stop();
  const auto expected = static_cast<std::int64_t>(kProjectLength / 40.0);
  state.counters["frames"] = static_cast<double>(result.frames);
  state.counters["late"] = static_cast<double>(result.late);
  state.counters["dropped"] = static_cast<double>(std::max<std::int64_t>(0, expected - result.frames));
  state.counters["thumbnails"] = view.Made();
}
BENCHMARK(BM_HdRealTimePlaybackWithPictureWorker)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
