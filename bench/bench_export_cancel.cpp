// How long Cancel takes to stop a background export, at its slowest: a
// 3840 × 2160 project written as ProRes 422 HQ, the heaviest frames the
// presets encode. The export runs until a few frames are written, then is
// cancelled; the time counted is from Cancel to the job's end, when the
// temporary file is gone. Aim: half a second. "frames_before" is how far it
// got, "left_behind" counts files left in the folder (must be 0).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "document/headless_views.h"
#include "export/export_job.h"
#include "export/export_snapshot.h"
#include "model/file_facts.h"
#include "playback/board_selection.h"
#include "support/document_fixture.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace {

using namespace vantorelle;
namespace fs = std::filesystem;
namespace support = vantorelle::testing;

void BM_CancelUhdProResExport(benchmark::State& state) {
  const bool boardWas = BoardPresent();
  SetBoardPresent(true);
  support::TempDir dir;
  support::TestDocument project;
  HeadlessDocumentViews views;
  project.doc.AttachViews(&views);
  project.doc.SwitchFormat(VideoFormat{3840, 2160, 25000});

  support::MovieParams params;
  params.width = 3840;
  params.height = 2160;
  params.frameCount = 50;
  params.pattern = support::FramePattern::FrameNumbered;
  const std::string moviePath = dir.File("uhd.avi");
  if (!support::WriteAvi(moviePath, params)) {
    state.SkipWithError("could not write the 4K movie");
    return;
  }
  CSrc& movie = project.AddSource(moviePath, 2000.0, SourceFlags::MovieFile | SourceFlags::VideoStream);
  movie.frameWidth = 3840;
  movie.frameHeight = 2160;
  movie.modified = LastWriteText(ReadFileFacts(moviePath)->lastWrite);
  // Ten seconds of the two-second movie, far more than a cancel lets through.
  for (int i = 0; i < 5; ++i) {
    auto clip = std::make_unique<CFilm>();
    clip->source = &movie;
    clip->name = movie.name;
    clip->start = 2000.0 * i;
    clip->duration = 2000.0;
    clip->sourceLength = movie.duration;
    clip->flags = movie.flags;
    ++movie.usageCount;
    project.Track(0).InsertInOrder(std::move(clip));
  }

  const fs::path folder = dir.Path() / "out";
  fs::create_directories(folder);
  double framesBefore = 0.0;
  double worst = 0.0;
  for (auto _ : state) {
    ExportRequest request;
    request.preset = ExportPresetId::ProRes;
    request.output = (folder / "film.mov").string();
    ExportSnapshotResult taken = TakeExportSnapshot(project.doc, request);
    if (!taken.snapshot) {
      state.SkipWithError(taken.refusal.c_str());
      break;
    }
    const auto job = ExportJob::Start(std::move(taken.snapshot));
    while (job->Progress().framesDone < 4 && job->Progress().state == ExportState::Running) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    framesBefore = static_cast<double>(job->Progress().framesDone);
    const auto began = std::chrono::steady_clock::now();
    job->Cancel();
    const ExportProgress end = job->Wait();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    if (end.state != ExportState::Cancelled) {
      state.SkipWithError("the export was not cancelled");
      break;
    }
    state.SetIterationTime(seconds);
    worst = std::max(worst, seconds);
  }
  double leftBehind = 0.0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) leftBehind += 1.0;
  state.counters["frames_before"] = framesBefore;
  state.counters["worst_s"] = worst;
  state.counters["left_behind"] = leftBehind;
  SetBoardPresent(boardWas);
}
BENCHMARK(BM_CancelUhdProResExport)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
