// How opening a project grows with its clips: one video track holding 10 000
// and then 40 000 clips of a few sources, saved once and opened again and
// again. An open linear in its clips takes about four times as long for four
// times the clips; BM_OpenScaling times both in the same iteration and
// reports their ratio, in wall-clock time and in the processor time of the
// opening thread (the steadier figure on a loaded machine). BM_DecodeClips
// shows the share of the bytes-to-records decoding alone.
//
// The sources are tiny WAV files whose last-write text matches the record,
// so the open checks them against the disk without reading their media.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/headless_views.h"
#include "document/project_file_format.h"
#include "document/project_storage.h"
#include "project_sources.h"
#include "support/document_fixture.h"
#include "support/temp_dir.h"

namespace {

using namespace vantorelle;
namespace support = vantorelle::testing;

constexpr int kSmallClipCount = 10000;
constexpr int kLargeClipCount = 40000;
constexpr int kSources = 8;
constexpr TimeMs kSourceDuration = bench::kBenchSourceDuration;
constexpr TimeMs kClipDuration = 1960.0;  // a gap between clips, so none touch

struct BenchDocument : support::TestDocument {
  BenchDocument() { doc.AttachViews(&views); }
  HeadlessDocumentViews views;
};


// All clips on the first video track, one after the other.
std::string SaveProjectOfClips(const support::TempDir& dir, int clipCount) {
  BenchDocument project;
  bench::AddBenchSources(project.doc, dir, kSources);
  CTrack& track = *project.doc.timeline.tracks.front();
  for (int i = 0; i < clipCount; ++i) {
    auto clip = std::make_unique<CFilm>(project.doc.sources[static_cast<std::size_t>(i % kSources)].get());
    clip->name = clip->source->name;
    clip->start = i * kSourceDuration;
    clip->duration = kClipDuration;
    clip->flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
    clip->track = &track;
    track.clips.push_back(std::move(clip));
  }
  project.doc.timeline.RecountSourceUsage(project.doc.SourcePointers());
  const std::string path = dir.File("clips" + std::to_string(clipCount) + ".vrp");
  if (!SaveProjectFile(project.doc, path)) throw std::runtime_error("cannot save the project");
  return path;
}

struct SharedProjects {
  SharedProjects() {
    bench::WriteBenchSourceFiles(dir, kSources);
    smallPath = SaveProjectOfClips(dir, kSmallClipCount);
    largePath = SaveProjectOfClips(dir, kLargeClipCount);
  }
  support::TempDir dir;
  std::string smallPath;
  std::string largePath;
};

const SharedProjects& Projects() {
  static const SharedProjects projects;
  return projects;
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct OpenTimes {
  double wallSeconds = -1.0;  // negative when the project did not open whole
  double cpuSeconds = 0.0;    // this thread's, so the machine's other load counts less
};

// The open of path into a fresh document. An open that asked or dropped
// anything would time something else, so it counts as a failure.
OpenTimes TimedOpen(const std::string& path, int clipCount) {
  auto project = std::make_unique<BenchDocument>();
  const double cpuBefore = ThreadCpuSeconds();
  const auto began = std::chrono::steady_clock::now();
  const ProjectOpenOutcome outcome = OpenProjectFile(project->doc, path);
  OpenTimes times;
  times.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  times.cpuSeconds = ThreadCpuSeconds() - cpuBefore;
  const bool whole = outcome == ProjectOpenOutcome::Opened && project->doc.timeline.ClipCount() == clipCount &&
                     project->doc.sources.size() == kSources && project->ui.messages.empty() &&
                     project->ui.missingSourceRequests.empty();
  if (!whole) times.wallSeconds = -1.0;
  return times;
}

void BM_OpenClips(benchmark::State& state) {
  const int clipCount = static_cast<int>(state.range(0));
  const std::string& path = clipCount == kSmallClipCount ? Projects().smallPath : Projects().largePath;
  for (auto _ : state) {
    const OpenTimes times = TimedOpen(path, clipCount);
    if (times.wallSeconds < 0.0) {
      state.SkipWithError("the project did not open whole");
      return;
    }
    state.SetIterationTime(times.wallSeconds);
  }
  state.counters["clips"] = clipCount;
}
BENCHMARK(BM_OpenClips)->Arg(kSmallClipCount)->Arg(kLargeClipCount)->UseManualTime()->Unit(benchmark::kMillisecond);

// The bytes-to-records part of the open alone, from the file in memory.
void BM_DecodeClips(benchmark::State& state) {
  const int clipCount = static_cast<int>(state.range(0));
  const std::string& path = clipCount == kSmallClipCount ? Projects().smallPath : Projects().largePath;
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  for (auto _ : state) {
    const auto read = ReadProjectFile(bytes);
    if (!read.ok || read.contents.clips.size() != static_cast<std::size_t>(clipCount)) {
      state.SkipWithError("decode failed");
      return;
    }
    benchmark::DoNotOptimize(read.contents.clips.data());
  }
}
BENCHMARK(BM_DecodeClips)->Arg(kSmallClipCount)->Arg(kLargeClipCount)->Unit(benchmark::kMillisecond);

// Both opens per iteration; the time shown is the larger one's. The ratios
// large / small, of wall-clock and of this thread's processor time, are the
// figures that must stay at most 4.5.
void BM_OpenScaling(benchmark::State& state) {
  OpenTimes small;
  OpenTimes large;
  small.wallSeconds = large.wallSeconds = 0.0;
  for (auto _ : state) {
    const OpenTimes smallOnce = TimedOpen(Projects().smallPath, kSmallClipCount);
    const OpenTimes largeOnce = TimedOpen(Projects().largePath, kLargeClipCount);
    if (smallOnce.wallSeconds < 0.0 || largeOnce.wallSeconds < 0.0) {
      state.SkipWithError("a project did not open whole");
      return;
    }
    small.wallSeconds += smallOnce.wallSeconds;
    small.cpuSeconds += smallOnce.cpuSeconds;
    large.wallSeconds += largeOnce.wallSeconds;
    large.cpuSeconds += largeOnce.cpuSeconds;
    state.SetIterationTime(largeOnce.wallSeconds);
  }
  const auto perIteration = [](double seconds) {
    return benchmark::Counter(seconds * 1000.0, benchmark::Counter::kAvgIterations);
  };
  state.counters["small_ms"] = perIteration(small.wallSeconds);
  state.counters["large_ms"] = perIteration(large.wallSeconds);
  state.counters["ratio"] = small.wallSeconds > 0.0 ? large.wallSeconds / small.wallSeconds : 0.0;
  state.counters["small_cpu_ms"] = perIteration(small.cpuSeconds);
  state.counters["large_cpu_ms"] = perIteration(large.cpuSeconds);
  state.counters["cpu_ratio"] = small.cpuSeconds > 0.0 ? large.cpuSeconds / small.cpuSeconds : 0.0;
}
BENCHMARK(BM_OpenScaling)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
