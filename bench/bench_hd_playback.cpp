// Playing a 60 s 1080p25 project in real time: two video tracks of 1080p
// H.264 movies (8 Mbit/s, 2 s GOPs) cut every 4 s, each clip starting at a
// different place in its movie so every cut seeks, four audio tracks, a
// slide and a crawl title track; the frame-picture worker is kept busy all
// the while, as a track area being scrolled would. Counters: frames made,
// late (made more than a frame after their time; aim 0) and dropped, and
// the decode-ahead margin: at each output frame, how many frames each video
// line's decoder has ready beyond the one shown (its queue holds at most 8),
// counted while the line has more than a second of content left: the least,
// the 5th percentile and the mean, of the worst line at each frame
// (ahead_*) and of each line (lineN_ahead_*). 0 means the line had nothing
// in hand: the next frame was a decode away from late.
// The same project played as fast as possible gives the board's headroom
// ("xRealTime" above 1 means faster than real time).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "board_bench_project.h"
#include "model/file_in_work.h"
#include "playback/frame_image_worker.h"
#include "playback/software_board/board_output.h"
#include "playback/software_board/video_time_line.h"
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

// Notes the video lines' frames in hand at each output frame. Called on the
// output's thread; the lines live from the play's preparation to its end.
class DecodeAheadMarginSink : public bench::NullSink {
 public:
  void Watch(std::vector<VideoTimeLine*> lines) {
    lines_ = std::move(lines);
    perLine_.assign(lines_.size(), {});
    worst_.clear();
  }

  void OnVideoFrame(double, const RgbFrame&) override {
    std::size_t worst = std::numeric_limits<std::size_t>::max();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      double rest = 0.0;
      // The last frames of a line have nothing after them to decode.
      if (lines_[i]->GetRestTime(rest) != KlpOk || rest <= 1.0) continue;
      const std::size_t ready = lines_[i]->ReadyAhead();
      perLine_[i].push_back(static_cast<double>(ready));
      worst = std::min(worst, ready);
    }
    if (worst != std::numeric_limits<std::size_t>::max()) worst_.push_back(static_cast<double>(worst));
  }

  void Report(benchmark::State& state) const {
    Put(state, "ahead", worst_);
    for (std::size_t i = 0; i < perLine_.size(); ++i) Put(state, "line" + std::to_string(i) + "_ahead", perLine_[i]);
  }

 private:
  static void Put(benchmark::State& state, const std::string& name, std::vector<double> samples) {
    if (samples.empty()) return;
    const double mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    std::sort(samples.begin(), samples.end());
    state.counters[name + "_min"] = samples.front();
    state.counters[name + "_p5"] = samples[samples.size() / 20];
    state.counters[name + "_mean"] = mean;
  }

  std::vector<VideoTimeLine*> lines_;
  std::vector<std::vector<double>> perLine_;
  std::vector<double> worst_;
};

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
  DecodeAheadMarginSink sink;
  for (auto _ : state) {
    result = bench::PlayBenchProject(
        media.files, plan, sink, true,
        [&] {
          worker.Signal();
          worker.ServeHandOver();
        },
        [&](BoardOutput& output) { sink.Watch(output.VideoLines()); });
  }
  worker.Stop();
  const auto expected = static_cast<std::int64_t>(kProjectLength / 40.0);
  state.counters["frames"] = static_cast<double>(result.frames);
  state.counters["late"] = static_cast<double>(result.late);
  state.counters["dropped"] = static_cast<double>(std::max<std::int64_t>(0, expected - result.frames));
  state.counters["thumbnails"] = view.Made();
  sink.Report(state);
}
BENCHMARK(BM_HdRealTimePlaybackWithPictureWorker)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
