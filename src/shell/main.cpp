// The desktop editor's entry point.
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstring>
#include <memory>

#include "commands/shortcut_table.h"
#include "document/editor_command_line.h"
#include "document/file_settings_store.h"
#include "document/vantorelle_app.h"
#include "document/vantorelle_doc.h"
#include "main_window.h"
#include "qt_user_interface.h"
#include "screenshot_tour.h"

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  application.setApplicationName("Vantorelle");
  // FFmpeg's notes and warnings (decoder versions, pixel formats) mean
  // nothing to a person; its errors still reach the terminal.
  av_log_set_level(AV_LOG_ERROR);

  bool selfTestQuit = false;
  QString screenshotPath;
  QString screenshotFolder;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--self-test-quit") == 0) {
      selfTestQuit = true;
    } else if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
      screenshotPath = QString::fromLocal8Bit(argv[++i]);
    } else if (std::strcmp(argv[i], "--screenshot-tour") == 0 && i + 1 < argc) {
      screenshotFolder = QString::fromLocal8Bit(argv[++i]);
    } else {
      arguments.emplace_back(argv[i]);
    }
  }

  vantorelle::shell::QtUserInterface ui;
  vantorelle::EditorCommandLine commandLine =
      vantorelle::ParseEditorCommandLine(arguments, std::getenv("VANTORELLE_VIDEO_STANDARD"));
  vantorelle::BoardSelection& selection = commandLine.board;
  if (!selection.error.empty()) {
    ui.Warn(selection.error, "Vantorelle");
    return 2;
  }
  // The per-user store under the configuration folder; VANTORELLE_CONFIG_DIR
  // points it elsewhere.
  vantorelle::FileSettingsStore settings;
  vantorelle::CVantorelleApp app;
  app.Start(settings, *selection.factory);
  auto shortcutTable = std::make_unique<vantorelle::CShortCutTable>();
  vantorelle::CShortCutTable* shortcuts = shortcutTable.get();
  auto document = std::make_unique<vantorelle::CVantorelleDoc>(
      vantorelle::DocumentServices{settings, app.FirstRun(), ui, *selection.factory, std::move(shortcutTable)});
  document->NewProject();

  auto windowOwner = std::make_unique<vantorelle::shell::MainWindow>(app, *document, ui, shortcuts, settings,
                                                                        selection.wiring);
  vantorelle::shell::MainWindow& window = *windowOwner;
  ui.SetParent(&window);
  window.show();
  const vantorelle::StartAction& start = commandLine.start;
  if (start.openProject) window.OpenProject(start.projectPath);
  if (!selfTestQuit && screenshotPath.isEmpty() && screenshotFolder.isEmpty()) window.OfferRecovery();
  if (!screenshotFolder.isEmpty()) vantorelle::shell::StartScreenshotTour(window, screenshotFolder);
  if (selfTestQuit) QTimer::singleShot(200, &application, &QApplication::quit);
  if (!screenshotPath.isEmpty()) {
    // Lets the window lay itself out and paint once before it is grabbed.
    QTimer::singleShot(500, &window, [&] {
      const bool saved = window.grab().save(screenshotPath, "PNG");
      application.exit(saved ? 0 : 1);
    });
  }
  const int exitCode = application.exec();
  ui.SetParent(nullptr);
  windowOwner.reset();  // the views go before the document they show
  document.reset();  // saves the document settings for the next run
  app.Shutdown(settings);
  settings.Flush();
  return exitCode;
}
