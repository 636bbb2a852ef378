// Driving the Export dialog from GUI tests: it is modal, so a timer acts on
// it once it shows.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "export_dialog_window.h"
#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"

namespace vantorelle::testing {

class ExportFixture : public EditorFixture {
 protected:
  // Runs trigger; act gets the Export dialog as soon as it shows (and must
  // close it). Nothing runs act when no dialog shows within three seconds.
  void WithExportDialog(const std::function<void()>& trigger,
                        const std::function<void(shell::ExportDialogWindow&)>& act) {
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      auto* dialog = dynamic_cast<shell::ExportDialogWindow*>(QApplication::activeModalWidget());
      if (!dialog) return;
      watcher.stop();
      act(*dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    watcher.start();
    QTimer::singleShot(3000, &watcher, &QTimer::stop);
    trigger();
    watcher.stop();
  }

  // File › Export… with the preset at presetIndex into target; true when the
  // dialog accepted.
  bool StartExport(int presetIndex, const std::string& target) {
    std::filesystem::create_directories(std::filesystem::path(target).parent_path());
    bool accepted = false;
    WithExportDialog([&] { Window().RunCommand(CommandId::Export); }, [&](shell::ExportDialogWindow& dialog) {
      dialog.findChild<QComboBox*>("exportPreset")->setCurrentIndex(presetIndex);
      dialog.findChild<QLineEdit*>("exportOutput")->setText(QString::fromStdString(target));
      dialog.findChild<QPushButton*>("exportStart")->click();
      accepted = dialog.result() == QDialog::Accepted && !dialog.isVisible();
    });
    return accepted;
  }
};

}  // namespace vantorelle::testing
