#include "export_progress_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace vantorelle::shell {

ExportProgressWindow::ExportProgressWindow(std::function<void()> cancel, QWidget* parent)
    : QWidget(parent, Qt::Tool) {
  setObjectName("exportProgressWindow");
  setWindowTitle("Exporting");
  auto* layout = new QGridLayout(this);
  file_ = new QLabel(this);
  file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(file_, 0, 0, 1, 3);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  layout->addWidget(bar_, 1, 0, 1, 3);
  frames_ = new QLabel(this);
  speed_ = new QLabel(this);
  timeLeft_ = new QLabel(this);
  layout->addWidget(frames_, 2, 0);
  layout->addWidget(speed_, 2, 1);
  layout->addWidget(timeLeft_, 2, 2);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("exportCancel");
  connect(cancel_, &QPushButton::clicked, this, [cancel = std::move(cancel)] { cancel(); });
  layout->addWidget(cancel_, 3, 2, Qt::AlignRight);
  setMinimumWidth(420);
}

void ExportProgressWindow::ShowExport(const QString& output) {
  file_->setText(output);
  cancel_->setEnabled(true);
  bar_->setValue(0);
}

void ExportProgressWindow::ShowView(const ExportView& view) {
  bar_->setValue(view.percent);
  frames_->setText(QString::fromStdString(view.frames));
  speed_->setText(QString::fromStdString(view.speed));
  timeLeft_->setText(QString::fromStdString(view.timeLeft));
  cancel_->setEnabled(view.running);
  if (!view.running) {
    frames_->setText(QString::fromStdString(view.line));
    speed_->clear();
    timeLeft_->clear();
  }
}

}  // namespace vantorelle::shell
