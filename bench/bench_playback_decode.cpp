// Playback's decoding: every frame in order of a 1080p H.264 MP4 (2 s GOPs,
// B-frames, made at start with the ffmpeg program) through a decoder opened as
// the video time line opens it, with one thread and with the time line's
// count (one per core, at most 8), alternated within each iteration.
// Counters: frames a second each way and "speedup" = one-thread time /
// threaded time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "playback/software_board/movie_file_decoder.h"
#include "playback/software_board/video_time_line.h"
#include "support/temp_dir.h"

namespace {

using namespace vantorelle;
using Clock = std::chrono::steady_clock;

constexpr int kFps = 25;
constexpr int kSeconds = 8;
constexpr int kFrames = kFps * kSeconds;

const std::string& MoviePath() {
  static vantorelle::testing::TempDir dir;
  static const std::string path = [] {
    const std::string file = dir.File("playback.mp4");
    const std::string command =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1920x1080:rate=25 -t " +
        std::to_string(kSeconds) + " -c:v libx264 -preset veryfast -g 50 -bf 2 -pix_fmt yuv420p '" + file + "'";
    if (std::system(command.c_str()) != 0) std::abort();
    return file;
  }();
  return path;
}

// Seconds to decode every frame in order, as the line asks for them.
double DecodeInOrder(int threads) {
  std::unique_ptr<MovieFileDecoder> decoder = OpenPlaybackDecoder(MoviePath(), threads);
  if (!decoder) std::abort();
  const Clock::time_point start = Clock::now();
  for (int frame = 0; frame < kFrames; ++frame) {
    const AVFrame* picture = decoder->DecodeFrame(decoder->FrameAt((frame + 0.5) / kFps));
    if (!picture) std::abort();
    benchmark::DoNotOptimize(picture->data[0]);
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void PlaybackDecode_OneThreadAgainstTimeLineThreads(benchmark::State& state) {
  const int threads = PlaybackDecodingThreads();
  MoviePath();
  double oneS = 0.0;
  double threadedS = 0.0;
  for (auto _ : state) {
    const double one = DecodeInOrder(1);
    const double threaded = DecodeInOrder(threads);
    oneS += one;
    threadedS += threaded;
    state.SetIterationTime(threaded);
  }
  const double frames = static_cast<double>(kFrames) * state.iterations();
  state.counters["threads"] = threads;
  state.counters["one_thread_fps"] = frames / oneS;
  state.counters["threaded_fps"] = frames / threadedS;
  state.counters["speedup"] = oneS / threadedS;
}

BENCHMARK(PlaybackDecode_OneThreadAgainstTimeLineThreads)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
