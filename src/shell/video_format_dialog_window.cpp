#include "video_format_dialog_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vantorelle::shell {

VideoFormatDialogWindow::VideoFormatDialogWindow(const QString& title, VideoFormatChooser& chooser, QWidget* parent)
    : QDialog(parent), chooser_(chooser) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  presets_ = new QComboBox(this);
  for (const VideoFormatPreset& preset : VideoFormatChooser::Presets()) {
    presets_->addItem(QString::fromStdString(preset.name));
  }
  presets_->addItem("Custom");
  form->addRow("Format:", presets_);
  width_ = new QSpinBox(this);
  height_ = new QSpinBox(this);
  for (QSpinBox* side : {width_, height_}) {
    side->setRange(kSmallestFrameSide, kLargestFrameSide);
    side->setSingleStep(2);
  }
  form->addRow("Width:", width_);
  form->addRow("Height:", height_);
  rates_ = new QComboBox(this);
  for (const std::int32_t rate : VideoFormatChooser::Rates()) {
    rates_->addItem(QString::fromStdString(FrameRateText(rate)) + " fps", rate);
  }
  form->addRow("Frame rate:", rates_);
  layout->addLayout(form);
  problem_ = new QLabel(this);
  problem_->setWordWrap(true);
  problem_->hide();
  layout->addWidget(problem_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &VideoFormatDialogWindow::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &VideoFormatDialogWindow::reject);

  ShowChooser();
  connect(presets_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_) return;
    chooser_.Select(index < static_cast<int>(VideoFormatChooser::Presets().size()) ? index
                                                                                   : VideoFormatChooser::kCustom);
    ShowChooser();
  });
  const auto custom = [this] { FollowCustomFields(); };
  connect(width_, &QSpinBox::valueChanged, this, custom);
  connect(height_, &QSpinBox::valueChanged, this, custom);
  connect(rates_, &QComboBox::currentIndexChanged, this, custom);
}

// The fields show the chosen preset's values, or the custom ones to edit.
void VideoFormatDialogWindow::ShowChooser() {
  showing_ = true;
  const int presetCount = static_cast<int>(VideoFormatChooser::Presets().size());
  presets_->setCurrentIndex(chooser_.IsCustom() ? presetCount : chooser_.Selected());
  const VideoFormat shown = chooser_.IsCustom()
                                ? chooser_.Custom()
                                : VideoFormatChooser::Presets()[static_cast<std::size_t>(chooser_.Selected())].format;
  width_->setValue(shown.width);
  height_->setValue(shown.height);
  rates_->setCurrentIndex(rates_->findData(shown.frameRate));
  for (QWidget* field : {static_cast<QWidget*>(width_), static_cast<QWidget*>(height_),
                         static_cast<QWidget*>(rates_)}) {
    field->setEnabled(chooser_.IsCustom());
  }
  showing_ = false;
}

void VideoFormatDialogWindow::FollowCustomFields() {
  if (showing_ || !chooser_.IsCustom()) return;
  chooser_.SetCustomWidth(width_->value());
  chooser_.SetCustomHeight(height_->value());
  chooser_.SetCustomFrameRate(rates_->currentData().toInt());
  problem_->hide();
}

void VideoFormatDialogWindow::accept() {
  FollowCustomFields();
  std::string why;
  if (!chooser_.Chosen(&why)) {
    problem_->setText(QString::fromStdString(why));
    problem_->show();
    return;
  }
  QDialog::accept();
}

}  // namespace vantorelle::shell
