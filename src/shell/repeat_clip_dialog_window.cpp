#include "repeat_clip_dialog_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "time_edit_widget.h"

namespace vantorelle::shell {

RepeatClipDialogWindow::RepeatClipDialogWindow(RepeatClipDialog& dialog, QWidget* parent)
    : QDialog(parent), dialog_(dialog) {
  setWindowTitle("Repeat Clip");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);

  count_ = new QSpinBox(this);
  count_->setRange(std::min(1, dialog.MaximumCount()), dialog.MaximumCount());
  count_->setValue(dialog.Count());
  form->addRow("Number of copies:", count_);
  pause_ = new TimeEditWidget(this);
  pause_->SetValue(dialog.Pause());
  form->addRow("Pause:", pause_);
  result_ = new QLabel(this);
  form->addRow("Last copy ends at:", result_);

  // A longer count leaves less room for the pause: the model shortens it.
  connect(count_, &QSpinBox::valueChanged, this, [this](int count) {
    dialog_.SetCount(count);
    if (dialog_.Count() != count_->value()) {
      const QSignalBlocker block(count_);
      count_->setValue(dialog_.Count());
    }
    if (dialog_.Pause() != pause_->Value()) pause_->SetValue(dialog_.Pause());
    RefreshResult();
  });
  connect(pause_, &TimeEditWidget::ValueEdited, this, [this](double pause) {
    dialog_.SetPause(pause);
    if (dialog_.Pause() != pause_->Value()) pause_->SetValue(dialog_.Pause());
    RefreshResult();
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setEnabled(dialog.MaximumCount() > 0);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  RefreshResult();
}

void RepeatClipDialogWindow::RefreshResult() {
  result_->setText(QString::fromStdString(FormatTimeFull(dialog_.ResultEnd())));
}

bool ExecRepeatClipDialog(RepeatClipDialog& dialog, QWidget* parent) {
  RepeatClipDialogWindow window(dialog, parent);
  return window.exec() == QDialog::Accepted;
}

}  // namespace vantorelle::shell
