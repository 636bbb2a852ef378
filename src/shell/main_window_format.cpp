// The main window and the project's video format: New project asks for it,
// Screen size settings changes the open project's, and between projects the
// board, its output and the preview window take the new size and rate.
#include "main_window.h"

#include "document/project_format_choice.h"
#include "playback/software_board/software_board_format.h"
#include "preview_window.h"
#include "timeline/command_hub.h"

namespace vantorelle::shell {

void MainWindow::FollowVideoFormat(const VideoFormat& format) {
  if (playback_) playback_->StopPlayback();
  if (!board_) return;
  // Everything made on the old board goes before its output changes; the
  // pump reads the frame rate as it starts.
  if (engine_) engine_->ReleaseBoard();
  if (pump_) pump_->Stop();
  const SoftwareBoardFormat boardFormat =
      SoftwareBoardFormatOf(format.width, format.height, format.frameRate / 1000.0);
  const bool switched = board_->output->SetFormat(boardFormat);
  if (preview_) preview_->SetFrameFormat(format.width, format.height, boardFormat.pixelAspect);
  if (pump_) pump_->Start();
  if (engine_) {
    engine_->OpenBoard(doc_.Board());
    engine_->BuildTitleTasks(doc_.timeline.tracks, doc_.times.timeMark);
  }
  if (playback_) playback_->ShowPreviewAgain();
  if (!switched) ui_.Warn("The preview could not take the format " + VideoFormatName(format), "Vantorelle");
}

void MainWindow::NewProject() {
  if (!ConfirmDiscardChanges()) return;
  // Cancel keeps the project as it is.
  const std::optional<ProjectFormatChoice> choice = AskProjectFormat(ui_, doc_.Format());
  if (!choice) return;
  doc_.NewProject(choice->format);
  doc_.SetFormatLeftAtDefault(choice->leftAtDefault);
  doc_.SetProjectPath({});
  FollowDocument();
}

void MainWindow::OpenScreenSizeSettings() {
  ScreenSizeDialog dialog;
  if (!ui_.AskVideoFormat(ScreenSizeDialog::kTitle, dialog.Chooser())) return;
  std::string why;
  if (!dialog.Apply(doc_, &why)) ui_.Warn(why, ScreenSizeDialog::kTitle);
  FollowDocument();
}

}  // namespace vantorelle::shell
