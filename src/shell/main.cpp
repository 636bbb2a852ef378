// The desktop editor's entry point.
#include <QApplication>
#include <QPixmap>
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
  QString screenshotPath;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--self-test-quit") == 0) {
      selfTestQuit = true;
    } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
      screenshotPath = QString::fromLocal8Bit(argv[++i]);
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
  if (!screenshotPath.isEmpty()) {
    // Lets the window lay itself out and paint once before it is grabbed.
    QTimer::singleShot(500, &window, [&] {
      const bool saved = window.grab().save(screenshotPath, "PNG");
      application.exit(saved ? 0 : 1);
    });
  }
  return application.exec();
}
