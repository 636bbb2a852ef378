#include "main_window.h"

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include "model/time_base.h"

namespace vantorelle::shell {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("Untitled - Vantorelle");
  resize(1024, 700);
  menuBar()->addMenu("&File")->addAction("E&xit", this, &QWidget::close);
  const auto& standard = CurrentVideoStandard();
  statusBar()->showMessage(QString("Video %1 x %2 at %3 frames / second%4")
                               .arg(standard.FrameWidth)
                               .arg(standard.FrameHeight)
                               .arg(standard.FrameRate / 1000.0, 0, 'f', standard.FrameRate % 1000 ? 2 : 0)
                               .arg(BoardPresent() ? "" : " (no board)"));
  setCentralWidget(new QLabel(this));
}

}  // namespace vantorelle::shell
