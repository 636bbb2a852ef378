// Undo and redo on a large project: 10 000 clips on 8 tracks (four video,
// four audio), every video clip linked to the audio clip beside it, as a
// dropped movie makes them. Measures Record (one deep copy), Undo and Redo,
// the document-level Undo that also recounts source usage, one timeline
// copy on its own, and the heap that 100 undo steps hold.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <vector>

#include "model/timeline_data.h"
#include "timeline/undo_history.h"

namespace {

using namespace vantorelle;

constexpr int kTracks = 8;
constexpr int kClips = 10000;

struct Project {
  std::vector<std::unique_ptr<CSrc>> sources;
  std::vector<CSrc*> sourcePointers;
  CTimelineData timeline;
};

std::unique_ptr<Project> MakeProject() {
  auto project = std::make_unique<Project>();
  for (int i = 0; i < 50; ++i) {
    project->sources.push_back(std::make_unique<CSrc>("/media/clip" + std::to_string(i) + ".avi",
                                                      "clip" + std::to_string(i) + ".avi"));
    project->sourcePointers.push_back(project->sources.back().get());
  }
  for (int t = 0; t < kTracks; ++t) {
    project->timeline.tracks.push_back(
        std::make_unique<CTrack>(t < kTracks / 2 ? TrackTypes::Video : TrackTypes::Audio, 48));
  }
  const int perTrack = kClips / kTracks;
  for (int t = 0; t < kTracks / 2; ++t) {
    CTrack& video = *project->timeline.tracks[t];
    CTrack& audio = *project->timeline.tracks[t + kTracks / 2];
    for (int i = 0; i < perTrack; ++i) {
      CSrc* source = project->sources[i % 50].get();
      for (CTrack* track : {&video, &audio}) {
        auto clip = std::make_unique<CFilm>(source);
        clip->name = source->name;
        clip->start = i * 2000.0;
        clip->duration = 1960.0;
        clip->flags = track == &video ? SourceFlags::VideoStream : SourceFlags::AudioStream;
        track->clips.push_back(std::move(clip));
        track->clips.back()->track = track;
      }
      CFilm::Link(*video.clips.back(), *audio.clips.back());
    }
  }
  project->timeline.RecountSourceUsage(project->sourcePointers);
  return project;
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_TimelineCopy(benchmark::State& state) {
  auto project = MakeProject();
  for (auto _ : state) benchmark::DoNotOptimize(project->timeline.Copy());
  const std::size_t before = HeapInUse();
  CTimelineData copy = project->timeline.Copy();
  state.counters["copy_MiB"] = static_cast<double>(HeapInUse() - before) / (1024.0 * 1024.0);
}
BENCHMARK(BM_TimelineCopy)->Unit(benchmark::kMillisecond);

void BM_Record(benchmark::State& state) {
  auto project = MakeProject();
  CUndoHistory history;
  for (auto _ : state) history.Record(project->timeline, UndoKind::Paste);  // drops the oldest once full
}
BENCHMARK(BM_Record)->Unit(benchmark::kMillisecond);

void BM_UndoThenRedo(benchmark::State& state) {
  auto project = MakeProject();
  CUndoHistory history;
  for (int i = 0; i < 100; ++i) history.Record(project->timeline, UndoKind::Paste);
  for (auto _ : state) {
    history.Undo(project->timeline);
    history.Redo(project->timeline);
  }
  state.SetItemsProcessed(state.iterations() * 2);  // operations
}
BENCHMARK(BM_UndoThenRedo)->Unit(benchmark::kMicrosecond);

// What the Undo command costs in full: the swap and the usage recount.
void BM_UndoThenRedoWithRecount(benchmark::State& state) {
  auto project = MakeProject();
  CUndoHistory history;
  for (int i = 0; i < 100; ++i) history.Record(project->timeline, UndoKind::Paste);
  for (auto _ : state) {
    history.Undo(project->timeline);
    project->timeline.RecountSourceUsage(project->sourcePointers);
    history.Redo(project->timeline);
    project->timeline.RecountSourceUsage(project->sourcePointers);
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_UndoThenRedoWithRecount)->Unit(benchmark::kMicrosecond);

void BM_HundredStepsHeld(benchmark::State& state) {
  auto project = MakeProject();
  double mebibytes = 0.0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    CUndoHistory history;
    for (int i = 0; i < 100; ++i) history.Record(project->timeline, UndoKind::Paste);
    mebibytes = static_cast<double>(HeapInUse() - before) / (1024.0 * 1024.0);
  }
  state.counters["held_MiB"] = mebibytes;
}
BENCHMARK(BM_HundredStepsHeld)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
