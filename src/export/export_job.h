// An export running in the background: the board plays a snapshot of the
// project into a file on a thread of its own, so the person goes on editing,
// saving and playing. The file is written under a temporary name beside the
// target and takes the target's name only once it is complete: a cancelled
// or failed export leaves no partial file and keeps the file that was there.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "export/export_preset.h"
#include "model/time_base.h"

namespace vantorelle {

class CVantorelleDoc;

// What an export covers.
enum class ExportSpanKind {
  WholeProject,  // 0 to the end of the last clip that plays
  Range,         // the project's range
  WorkArea,      // the work area
};

struct ExportRequest {
  ExportPresetId preset = ExportPresetId::Mp4;
  int crf = 0;  // on the preset's scale; 0 takes its default
  ExportSpanKind span = ExportSpanKind::WholeProject;
  std::string output;  // the file to write
  // The command line's own choices: a range in ms that takes the place of
  // the span, and offline or unreadable sources exported as black and
  // silence rather than refused.
  std::optional<std::pair<double, double>> givenRange;
  bool allowOffline = false;
};

// A source in the span that cannot be read.
struct ExportSourceProblem {
  std::string path;
  bool unreadable = false;  // there but not readable; else not found
};

enum class ExportRefusalKind {
  None,
  OutputIsInput,   // the output is the project file or one of its sources
  BadSpan,         // no range set, or a span shorter than a frame
  GivenRange,      // the range the request gave leaves less than a frame
  NothingToExport,
  SourcesOffline,  // see sourceProblems
  Other,           // the board did not start, …
};

// Everything an export reads, copied from the document on the caller's
// thread when the export starts: later edits, saves, plays and format changes
// of the document never reach it, and the export never reads the document or
// the running video standard again.
class ExportSnapshot;

struct ExportSnapshotResult {
  std::unique_ptr<ExportSnapshot> snapshot;  // none when refused
  std::string refusal;  // why: no range set, nothing to export, the output is the project or one of its sources, …
  ExportRefusalKind refusalKind = ExportRefusalKind::None;
  // Offline or unreadable sources in the span: they refuse the export, or
  // with allowOffline play as black and silence.
  std::vector<ExportSourceProblem> sourceProblems;
};
ExportSnapshotResult TakeExportSnapshot(const CVantorelleDoc& doc, const ExportRequest& request);

enum class ExportState { Running, Finished, Failed, Cancelled };

struct ExportProgress {
  ExportState state = ExportState::Running;
  std::int64_t framesDone = 0;
  std::int64_t framesTotal = 0;
  double speed = 0.0;         // × real time, so far
  double secondsLeft = -1.0;  // an estimate; negative while unknown
  std::string output;         // the target file
  std::string error;          // why it failed (Failed only)
  double elapsedSeconds = 0.0;  // since the export started
  double filmSeconds = 0.0;     // of the film written so far
};

class ExportJob {
 public:
  // Starts at once on a thread of its own.
  static std::unique_ptr<ExportJob> Start(std::unique_ptr<ExportSnapshot> snapshot);
  // Cancels and waits: nothing of an unfinished export is left.
  ~ExportJob();
  ExportJob(const ExportJob&) = delete;
  ExportJob& operator=(const ExportJob&) = delete;

  // From any thread.
  ExportProgress Progress() const;
  // Returns at once; the export stops within half a second and removes its
  // temporary file.
  void Cancel();
  // Blocks until the export has finished, failed or been cancelled.
  ExportProgress Wait();

 private:
  struct State;
  explicit ExportJob(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace vantorelle
