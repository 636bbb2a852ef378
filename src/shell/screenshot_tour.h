// Pictures of the editor for the documentation: the main window, the
// preview while a project plays, and the main dialogs, saved as PNG files.
#pragma once

#include <QString>

namespace vantorelle::shell {

class MainWindow;

// Runs once the event loop runs; quits the application when done, with exit
// status 0 when every picture was saved.
void StartScreenshotTour(MainWindow& window, const QString& folder);

}  // namespace vantorelle::shell
