// The small non-modal window of a running export: the file, a progress bar,
// frames done, speed and time left, and Cancel. It draws the export
// controller's view; the editor stays usable beside it.
#pragma once

#include <QWidget>
#include <functional>

#include "export/export_controller.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vantorelle::shell {

class ExportProgressWindow : public QWidget {
 public:
  ExportProgressWindow(std::function<void()> cancel, QWidget* parent = nullptr);

  void ShowExport(const QString& output);
  void ShowView(const ExportView& view);

 private:
  QLabel* file_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QLabel* frames_ = nullptr;
  QLabel* speed_ = nullptr;
  QLabel* timeLeft_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace vantorelle::shell
