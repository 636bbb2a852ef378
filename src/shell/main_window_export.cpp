// File › Export…: the dialog, the export in the background with its progress
// in the status bar and in a small window, and its end announced.
#include <QDesktopServices>
#include <QDir>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "export_dialog_window.h"
#include "export_job_run.h"
#include "export_progress_window.h"
#include "main_window.h"

namespace vantorelle::shell {

namespace {
constexpr int kExportPollMs = 200;
}

void MainWindow::BuildExport() {
  exports_ = std::make_unique<ExportController>(ui_, MakeExportStarter(doc_), [](const std::string& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
  });
  exportBar_ = new QProgressBar(this);
  exportBar_->setObjectName("exportStatusBar");
  exportBar_->setRange(0, 100);
  exportBar_->setMaximumWidth(220);
  exportBar_->setFormat("Export %p%");
  exportBar_->hide();
  statusBar()->addPermanentWidget(exportBar_);
  exportWindow_ = new ExportProgressWindow([this] { exports_->Cancel(); }, this);
  exports_->SetEndedHook([this] { ShowExportEnded(); });
  exportTimer_ = new QTimer(this);
  exportTimer_->setInterval(kExportPollMs);
  connect(exportTimer_, &QTimer::timeout, this, [this] { PollExport(); });
}

void MainWindow::ExportFilm() {
  if (exports_->Running()) {
    exports_->Start(ExportRequest{});  // says that one runs already
    exportWindow_->show();
    exportWindow_->raise();
    return;
  }
  ExportDialogWindow dialog(ExportDialogContextOf(doc_, QDir::homePath().toStdString()), store_, ui_, this);
  if (dialog.exec() != QDialog::Accepted || !dialog.Request()) return;
  const ExportRequest request = *dialog.Request();
  if (!exports_->Start(request)) return;
  exportWindow_->ShowExport(QString::fromStdString(request.output));
  exportWindow_->ShowView(exports_->View());
  exportWindow_->show();
  exportBar_->setValue(0);
  exportBar_->setToolTip(QString::fromStdString(exports_->View().line));
  exportBar_->show();
  ShowStatus(exports_->View().line);
  exportTimer_->start();
}

void MainWindow::PollExport() {
  exportTimer_->stop();  // a message at the end runs the event loop: no poll inside it
  exports_->Poll();
  const ExportView& view = exports_->View();
  exportWindow_->ShowView(view);
  exportBar_->setValue(view.percent);
  exportBar_->setToolTip(QString::fromStdString(view.line));
  if (view.running) {
    statusBar()->showMessage(QString::fromStdString(view.line));
    exportTimer_->start();
    return;
  }
  ShowExportEnded();
}

void MainWindow::ShowExportEnded() {
  exportBar_->hide();
  exportWindow_->hide();
  statusBar()->showMessage(QString::fromStdString(exports_->View().line));
}

bool MainWindow::ConfirmQuitOverExport() { return exports_->ConfirmQuit(); }

}  // namespace vantorelle::shell
