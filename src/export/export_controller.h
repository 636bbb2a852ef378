// The editor's one background export, without its toolkit: it starts the
// export, reads its progress when the window's timer asks and turns it into
// the texts of the status bar and the export window, cancels it, announces
// its end and asks before the editor closes over a running export.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "export/export_job.h"

namespace vantorelle {

class IUserInterface;

// A running export as the controller sees it: ExportJob in the editor, a
// scripted one in tests.
class IExportRun {
 public:
  virtual ~IExportRun() = default;
  virtual ExportProgress Progress() const = 0;
  virtual void Cancel() = 0;
};

struct ExportStart {
  std::unique_ptr<IExportRun> run;  // none when refused
  std::string refusal;
};
using ExportStarter = std::function<ExportStart(const ExportRequest&)>;

// What the status bar and the export window show.
struct ExportView {
  bool running = false;
  int percent = 0;
  std::string frames;    // "120 of 250 frames"
  std::string speed;     // "2.5× real time"; empty while unknown
  std::string timeLeft;  // "0:05 left"; empty while unknown
  std::string line;      // all of it on one line, or how the last export ended
};

class ExportController {
 public:
  static constexpr const char* kCaption = "Export";
  static constexpr const char* kOpenFolder = "Open Folder";

  // openFolder shows a folder in the desktop's file manager.
  ExportController(IUserInterface& ui, ExportStarter starter, std::function<void(const std::string&)> openFolder);
  // A running export is cancelled and waited for.
  ~ExportController();

  // Runs when an export has ended, before its end is announced: the window
  // puts its progress away first, so the message stands alone.
  void SetEndedHook(std::function<void()> hook) { endedHook_ = std::move(hook); }
  // Tests give a scripted export in place of the real one.
  void SetStarter(ExportStarter starter) { starter_ = std::move(starter); }

  bool Running() const { return run_ != nullptr; }
  // One export at a time: while one runs, says so and starts nothing. A
  // refused start shows why. True when the export runs.
  bool Start(const ExportRequest& request);
  // Reads the progress; at the end announces it (a message, and the folder
  // opened when the person asks). Called by the window's timer.
  void Poll();
  void Cancel();
  const ExportView& View() const { return view_; }
  // Before the editor closes: true when no export runs, or the person chose
  // to stop it (it is then cancelled).
  bool ConfirmQuit();

  // "0:05", "1:02:03"
  static std::string DurationText(double seconds);

 private:
  void Show(const ExportProgress& progress);
  void Finish(const ExportProgress& progress);

  IUserInterface& ui_;
  ExportStarter starter_;
  std::function<void(const std::string&)> openFolder_;
  std::function<void()> endedHook_;
  std::unique_ptr<IExportRun> run_;
  std::string output_;
  ExportView view_;
};

}  // namespace vantorelle
