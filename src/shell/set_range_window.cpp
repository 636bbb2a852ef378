#include "set_range_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "time_edit_widget.h"

namespace vantorelle::shell {

SetRangeWindow::SetRangeWindow(const ProjectTimes& times, QWidget* parent) : QDialog(parent), model_(times) {
  setWindowTitle("Set Range");
  auto* form = new QFormLayout(this);
  left_ = new TimeEditWidget(this, times.projectSize);
  right_ = new TimeEditWidget(this, times.projectSize);
  size_ = new QLineEdit(this);
  left_->setObjectName("left");
  right_->setObjectName("right");
  size_->setObjectName("size");
  // Size follows Left and Right; it is not typed into.
  size_->setReadOnly(true);
  form->addRow("Left:", left_);
  form->addRow("Right:", right_);
  form->addRow("Size:", size_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(left_, &TimeEditWidget::ValueEdited, this, [this] {
    model_.ChangeLeft(left_->text().toStdString());
    ShowModel();
  });
  connect(right_, &TimeEditWidget::ValueEdited, this, [this] {
    model_.ChangeRight(right_->text().toStdString());
    ShowModel();
  });
  ShowModel();
}

void SetRangeWindow::ShowModel() {
  left_->SetTimeText(model_.Left());
  right_->SetTimeText(model_.Right());
  size_->setText(QString::fromStdString(model_.Size()));
}

}  // namespace vantorelle::shell
