#include "screenshot_tour.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include "main_window.h"
#include "timeline/command_ids.h"

namespace vantorelle::shell {
namespace {

bool Save(QWidget* widget, const QString& path) { return widget && widget->grab().save(path, "PNG"); }

// Grabs the dialog a command opens, then closes it so the command returns.
bool ShootDialog(MainWindow& window, int command, const QString& path) {
  bool saved = false;
  QTimer::singleShot(600, &window, [&saved, path] {
    QWidget* dialog = QApplication::activeModalWidget();
    saved = Save(dialog, path);
    if (dialog) dialog->close();
  });
  window.RunCommand(command);
  return saved;
}

}  // namespace

void StartScreenshotTour(MainWindow& window, const QString& folder) {
  QDir().mkpath(folder);
  QTimer::singleShot(800, &window, [&window, folder] {
    bool ok = Save(&window, folder + "/main.png");
    window.RunCommand(CommandId::Play);
    QTimer::singleShot(1500, &window, [&window, folder, ok]() mutable {
      ok = Save(window.Preview(), folder + "/preview.png") && ok;
      window.RunCommand(CommandId::Stop);
      ok = ShootDialog(window, CommandId::Settings, folder + "/settings.png") && ok;
      ok = ShootDialog(window, CommandId::TitleTrackSettings, folder + "/title-tracks.png") && ok;
      ok = ShootDialog(window, CommandId::CustomizeKeyboard, folder + "/keyboard.png") && ok;
      QApplication::exit(ok ? 0 : 1);
    });
  });
}

}  // namespace vantorelle::shell
