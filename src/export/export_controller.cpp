#include "export/export_controller.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "model/user_interface.h"

namespace vantorelle {

ExportController::ExportController(IUserInterface& ui, ExportStarter starter,
                                   std::function<void(const std::string&)> openFolder)
    : ui_(ui), starter_(std::move(starter)), openFolder_(std::move(openFolder)) {}

ExportController::~ExportController() {
  if (run_) run_->Cancel();
}

bool ExportController::Start(const ExportRequest& request) {
  if (run_) {
    ui_.ShowMessage("An export is running already. Wait for it to end or cancel it first.", kCaption,
                    MessageIcon::Information, MessageButtons::Ok);
    return false;
  }
  ExportStart start = starter_ ? starter_(request) : ExportStart{nullptr, "This editor cannot export."};
  if (!start.run) {
    ui_.ShowMessage(start.refusal.empty() ? "The export could not start." : start.refusal, kCaption,
                    MessageIcon::Warning, MessageButtons::Ok);
    return false;
  }
  run_ = std::move(start.run);
  output_ = request.output;
  ExportProgress first;
  first.output = output_;
  Show(first);
  return true;
}

void ExportController::Poll() {
  if (!run_) return;
  const ExportProgress progress = run_->Progress();
  if (progress.state == ExportState::Running) {
    Show(progress);
    return;
  }
  Finish(progress);
}

void ExportController::Cancel() {
  if (run_) run_->Cancel();
}

bool ExportController::ConfirmQuit() {
  if (!run_) return true;
  const MessageAnswer answer = ui_.ShowMessage("An export is running. Stop it and quit?", kCaption,
                                               MessageIcon::Question, MessageButtons::YesNo);
  if (answer != MessageAnswer::Yes) return false;
  // The job's end waits for its thread and removes the unfinished file.
  run_->Cancel();
  run_.reset();
  view_ = ExportView{};
  view_.line = "Export cancelled";
  return true;
}

std::string ExportController::DurationText(double seconds) {
  const long long whole = std::llround(std::max(0.0, seconds));
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

void ExportController::Show(const ExportProgress& progress) {
  view_ = ExportView{};
  view_.running = true;
  const std::int64_t total = std::max<std::int64_t>(progress.framesTotal, 0);
  const std::int64_t done = std::clamp<std::int64_t>(progress.framesDone, 0, total > 0 ? total : progress.framesDone);
  view_.percent = total > 0 ? static_cast<int>(done * 100 / total) : 0;
  view_.frames = std::to_string(done) + " of " + std::to_string(total) + " frames";
  if (progress.speed > 0.0) {
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.1f\u00d7 real time", progress.speed);
    view_.speed = speed;
  }
  if (progress.secondsLeft >= 0.0) view_.timeLeft = DurationText(progress.secondsLeft) + " left";
  view_.line = "Exporting: " + view_.frames + " (" + std::to_string(view_.percent) + "%)";
  if (!view_.speed.empty()) view_.line += ", " + view_.speed;
  if (!view_.timeLeft.empty()) view_.line += ", " + view_.timeLeft;
}

void ExportController::Finish(const ExportProgress& progress) {
  // Released before any message: the box's event loop polls again.
  run_.reset();
  const std::string output = progress.output.empty() ? output_ : progress.output;
  view_ = ExportView{};
  switch (progress.state) {
    case ExportState::Finished: view_.percent = 100; view_.line = "Exported to " + output; break;
    case ExportState::Failed: view_.line = "The export failed"; break;
    case ExportState::Cancelled: view_.line = "Export cancelled"; break;
    case ExportState::Running: break;
  }
  if (endedHook_) endedHook_();
  switch (progress.state) {
    case ExportState::Finished: {
      const bool open = ui_.ShowMessageOffering("The export is finished:\n" + output, kCaption,
                                                MessageIcon::Information, kOpenFolder);
      if (open && openFolder_) openFolder_(std::filesystem::path(output).parent_path().string());
      break;
    }
    case ExportState::Failed:
      ui_.ShowMessage("The export to " + output + " failed:\n" +
                          (progress.error.empty() ? std::string("no reason was given.") : progress.error),
                      kCaption, MessageIcon::Error, MessageButtons::Ok);
      break;
    case ExportState::Cancelled:
    case ExportState::Running: break;
  }
}

}  // namespace vantorelle
