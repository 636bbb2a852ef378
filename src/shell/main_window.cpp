#include "main_window.h"

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include "document/vantorelle_app.h"
#include "model/time_base.h"

namespace vantorelle::shell {

MainWindow::MainWindow(IUserInterface& ui, QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("Untitled - Vantorelle");
  resize(1024, 700);
  menuBar()->addMenu("&File")->addAction("E&xit", this, &QWidget::close);
  menuBar()->addMenu("&Help")->addAction("&About Vantorelle...", this, [&ui] {
    ui.ShowMessage(CVantorelleApp::AboutText(), "About Vantorelle", MessageIcon::Information, MessageButtons::Ok);
  });
  const auto& standard = CurrentVideoStandard();
  statusBar()->showMessage(QString("Video %1 x %2 at %3 frames / second%4")
                               .arg(standard.FrameWidth)
                               .arg(standard.FrameHeight)
                               .arg(standard.FrameRate / 1000.0, 0, 'f', standard.FrameRate % 1000 ? 2 : 0)
                               .arg(BoardPresent() ? "" : " (no board)"));
  setCentralWidget(new QLabel(this));
}

}  // namespace vantorelle::shell
