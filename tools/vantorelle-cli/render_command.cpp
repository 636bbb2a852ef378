#include "render_command.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "document/settings_store.h"
#include "document/vantorelle_doc.h"
#include "export/export_job.h"
#include "export/export_output_file.h"
#include "export/export_snapshot.h"
#include "json_output.h"
#include "playback/software_board/software_board_factory.h"
#include "printing_user_interface.h"

namespace vantorelle::cli {
namespace {

class ProgressBar {
 public:
  explicit ProgressBar(bool shown) : shown_(shown && isatty(STDERR_FILENO)) {}
  void Show(const ExportProgress& progress) {
    if (!shown_) return;
    const std::int64_t total = std::max<std::int64_t>(1, progress.framesTotal);
    const int percent = static_cast<int>(std::min<std::int64_t>(100, progress.framesDone * 100 / total));
    const int bar = percent / 4;
    std::fprintf(stderr, "\r[%-25s] %3d%%  %lld/%lld frames  %.1fx", std::string(static_cast<std::size_t>(bar), '#').c_str(),
                 percent, static_cast<long long>(progress.framesDone), static_cast<long long>(total), progress.speed);
    std::fflush(stderr);
  }
  void Done() {
    if (shown_) std::fputc('\n', stderr);
  }

 private:
  bool shown_;
};

int Fail(const std::string& text) {
  std::fprintf(stderr, "vantorelle-cli: %s\n", text.c_str());
  return 1;
}

// A signal asks the running export to cancel; the main thread sees it.
volatile std::sig_atomic_t gStopSignal = 0;
extern "C" void AskToStop(int signal) { gStopSignal = signal; }

class StopSignals {
 public:
  StopSignals() {
    struct sigaction action {};
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &old_[i]);
  }
  ~StopSignals() {
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &old_[i], nullptr);
  }

 private:
  static constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction old_[3] {};
};

// Missing files are named once, below, and only those the render needs.
class RenderUserInterface : public PrintingUserInterface {
 public:
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest&) override { return {}; }
};

void ReportSourceProblems(const ExportSnapshotResult& taken, const RenderOptions& options) {
  const char* outcome = options.allowOffline ? "rendered as black and silence" : "cannot be rendered";
  for (const ExportSourceProblem& problem : taken.sourceProblems) {
    std::fprintf(stderr, "vantorelle-cli: %s, %s: %s\n",
                 problem.unreadable ? "unreadable source" : "offline source (file not found)", outcome,
                 problem.path.c_str());
  }
  if (options.allowOffline || taken.sourceProblems.empty()) return;
  std::fprintf(stderr, "vantorelle-cli: %s: %zu source(s) offline or unreadable; nothing rendered "
               "(--allow-offline renders them as black and silence)\n",
               options.project.c_str(), taken.sourceProblems.size());
}

}  // namespace

int RunRender(const RenderOptions& options) {
  // The project's documents need a board factory; the export makes its own.
  const VideoStandard& standard = CurrentVideoStandard();
  auto factory = CreateSoftwareBoardFactory(
      SoftwareBoardFormatOf(standard.FrameWidth, standard.FrameHeight, standard.FrameRate / 1000.0));
  RenderUserInterface ui;
  MemorySettingsStore store;
  HeadlessDocumentViews views;
  CVantorelleDoc doc(DocumentServices{store, true, ui, *factory, nullptr});
  doc.AttachViews(&views);
  if (InputAtOutput(options.output, {options.project})) {
    std::fprintf(stderr, "vantorelle-cli: %s is the project file; a render never writes over its own inputs\n",
                 options.output.c_str());
    return 2;
  }
  if (OpenProjectFile(doc, options.project) != ProjectOpenOutcome::Opened) {
    return Fail(options.project + ": cannot be opened as a project");
  }
  ExportRequest request;
  request.preset = options.preset;
  request.crf = options.crf;
  request.output = options.output;
  request.givenRange = options.range;
  request.allowOffline = options.allowOffline;
  // Without a range given: the project's range when it has one.
  request.span = doc.times.RangePresent() ? ExportSpanKind::Range : ExportSpanKind::WholeProject;
  ExportSnapshotResult taken = TakeExportSnapshot(doc, request);
  ReportSourceProblems(taken, options);
  if (!taken.snapshot) {
    switch (taken.refusalKind) {
      case ExportRefusalKind::OutputIsInput:
        std::fprintf(stderr, "vantorelle-cli: %s\n", taken.refusal.c_str());
        return 2;
      case ExportRefusalKind::GivenRange:
        std::fprintf(stderr, "vantorelle-cli: %s: %s\n", options.project.c_str(), taken.refusal.c_str());
        return 2;
      case ExportRefusalKind::SourcesOffline: return 1;
      default: return Fail(options.project + ": " + taken.refusal);
    }
  }
  const ExportPreset& preset = taken.snapshot->Preset();
  const ExportSpan span = taken.snapshot->Span();

  StopSignals signals;
  ProgressBar bar(!options.quiet);
  const auto job = ExportJob::Start(std::move(taken.snapshot));
  ExportProgress progress = job->Progress();
  while (progress.state == ExportState::Running) {
    if (gStopSignal != 0) job->Cancel();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    progress = job->Progress();
    bar.Show(progress);
  }
  progress = job->Wait();
  bar.Done();
  if (progress.state == ExportState::Cancelled) {
    std::fprintf(stderr, "vantorelle-cli: %s: render stopped; the file there is left as it was\n",
                 options.output.c_str());
    return 128 + (gStopSignal != 0 ? static_cast<int>(gStopSignal) : SIGINT);
  }
  if (progress.state != ExportState::Finished) return Fail(options.output + ": " + progress.error);
  const std::int64_t pictures = preset.content == ExportContent::SoundOnly ? 0 : progress.framesDone;
  Json report;
  PutText(report, "output", options.output);
  PutText(report, "file", options.output);
  report["preset"] = std::string(preset.name);
  report["format"] = std::string(preset.extension);
  report["from"] = span.from;
  report["to"] = span.to;
  report["frames"] = preset.content == ExportContent::OneFrame ? std::min<std::int64_t>(1, pictures) : pictures;
  report["duration"] = progress.filmSeconds;
  report["seconds"] = progress.elapsedSeconds;
  report["speed"] = progress.speed;
  report["framesPerSecond"] = progress.elapsedSeconds > 0 ? progress.framesDone / progress.elapsedSeconds : 0.0;
  PrintJson(report);
  return 0;
}

}  // namespace vantorelle::cli
