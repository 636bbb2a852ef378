// The desktop editor's entry point.
#include <QApplication>
#include <QTimer>
#include <cstring>
#include <memory>

#include "main_window.h"
#include "model/time_base.h"
#include "model/video_standard_query.h"
#include "playback/board_selection.h"
#include "qt_user_interface.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  application.setApplicationName("Vantorelle");

  bool selfTestQuit = false;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--self-test-quit") == 0) {
      selfTestQuit = true;
    } else {
      arguments.emplace_back(argv[i]);
    }
  }

  vantorelle::shell::QtUserInterface ui;
  auto selection = vantorelle::SelectBoard(arguments, std::getenv("VANTORELLE_VIDEO_STANDARD"));
  if (!selection.error.empty()) {
    ui.Warn(selection.error, "Vantorelle");
    return 2;
  }
  vantorelle::SetBoardPresent(vantorelle::QueryBoardStandard(*selection.factory));

  vantorelle::shell::MainWindow window;
  ui.SetParent(&window);
  window.show();
  if (selfTestQuit) QTimer::singleShot(200, &application, &QApplication::quit);
  return application.exec();
}
