// What the main window shows at a start before anything is done: the time
// line scrolled to the time mark (the stored work area may lie elsewhere, as
// the defaults of a first start do), and the way to begin in the status bar
// while the project has no clips.
#include <QStatusBar>

#include "commands/idle_status_text.h"
#include "model/work_area_showing.h"
#include "main_window.h"

namespace vantorelle::shell {

void MainWindow::ShowTimeMarkAtStart() {
  doc_.timeline.workArea = WorkAreaShowing(doc_.timeline.workArea, doc_.times.timeMark, doc_.times.projectSize);
}

void MainWindow::RefreshIdleStatus() {
  // Only the idle text follows the project; a prompt being shown stays. A
  // bar left empty (a toolbar button's tip gone) gets the idle text back.
  const std::string shown = statusBar()->currentMessage().toStdString();
  if (shown.empty() || shown == kReadyStatusText || shown == EmptyProjectHint(shortcuts_)) {
    ShowStatus(kReadyStatusText);
  }
}

}  // namespace vantorelle::shell
