// The "Relink offline media..." command of the main window.
#include "document/offline_relink.h"
#include "main_window.h"

namespace vantorelle::shell {

void MainWindow::RelinkOfflineMedia() {
  FileDialogRequest request;
  request.title = "Relink offline media";
  request.filters = doc_.sourceDialogFilters;
  const auto path = ui_.AskOpenFileName(request);
  if (!path) return;
  const RelinkOutcome outcome = RelinkOfflineSources(doc_, RelinkReadContext(doc_, nullptr), *path);
  if (outcome.relinked > 0) {
    // The relinked files play and give frame pictures from now on.
    OpenSourcesForPlayback();
    Repaint(RedrawMask::All);
    UpdateTitle();
  }
  ShowStatus(std::to_string(outcome.relinked) + " relinked, " + std::to_string(outcome.stillOffline) +
             " still offline");
}

}  // namespace vantorelle::shell
