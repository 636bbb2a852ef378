#include "export_dialog_window.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace vantorelle::shell {

ExportDialogWindow::ExportDialogWindow(ExportDialogContext context, ISettingsStore& store, IUserInterface& ui,
                                       QWidget* parent)
    : QDialog(parent), model_(std::move(context), store, ui) {
  setWindowTitle(ExportDialogModel::kCaption);
  auto* form = new QFormLayout;

  presets_ = new QComboBox(this);
  presets_->setObjectName("exportPreset");
  for (const std::string& title : ExportDialogModel::PresetTitles()) presets_->addItem(QString::fromStdString(title));
  connect(presets_, &QComboBox::currentIndexChanged, this, [this](int index) {
    model_.SelectPreset(index);
    ShowModel();
  });
  form->addRow("Preset:", presets_);

  auto* spanBox = new QVBoxLayout;
  spans_ = new QButtonGroup(this);
  const auto spanTitles = ExportDialogModel::SpanTitles();
  for (int i = 0; i < static_cast<int>(spanTitles.size()); ++i) {
    auto* button = new QRadioButton(QString::fromStdString(spanTitles[i]), this);
    button->setObjectName(QString("exportSpan%1").arg(i));
    spans_->addButton(button, i);
    spanBox->addWidget(button);
  }
  connect(spans_, &QButtonGroup::idClicked, this, [this](int id) {
    model_.SelectSpan(static_cast<ExportSpanKind>(id));
    ShowModel();
  });
  form->addRow("Export:", spanBox);

  auto* where = new QHBoxLayout;
  output_ = new QLineEdit(this);
  output_->setObjectName("exportOutput");
  output_->setMinimumWidth(360);
  connect(output_, &QLineEdit::textEdited, this, [this](const QString& text) { model_.SetOutputPath(text.toStdString()); });
  auto* browse = new QPushButton("…", this);
  browse->setObjectName("exportBrowse");
  browse->setToolTip("Choose the file to export to");
  connect(browse, &QPushButton::clicked, this, [this] {
    if (model_.Browse()) ShowModel();
  });
  where->addWidget(output_, 1);
  where->addWidget(browse);
  form->addRow("File:", where);

  auto* qualityRow = new QHBoxLayout;
  quality_ = new QSlider(Qt::Horizontal, this);
  quality_->setObjectName("exportQuality");
  quality_->setRange(0, 100);
  quality_->setToolTip("Left: smaller file. Right: better pictures.");
  qualityValue_ = new QLabel(this);
  qualityValue_->setMinimumWidth(90);
  connect(quality_, &QSlider::valueChanged, this, [this](int value) {
    model_.SetQuality(value);
    ShowModel();
  });
  qualityRow->addWidget(quality_, 1);
  qualityRow->addWidget(qualityValue_);
  form->addRow("Quality:", qualityRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  QPushButton* exportButton = buttons->addButton("Export", QDialogButtonBox::AcceptRole);
  exportButton->setObjectName("exportStart");
  exportButton->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryAccept(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  ShowModel();
}

void ExportDialogWindow::ShowModel() {
  {
    const QSignalBlocker block(presets_);
    presets_->setCurrentIndex(model_.PresetIndex());
  }
  for (QAbstractButton* button : spans_->buttons()) {
    const auto span = static_cast<ExportSpanKind>(spans_->id(button));
    button->setEnabled(model_.SpanEnabled(span));
    button->setToolTip(QString::fromStdString(model_.SpanDisabledReason(span)));
    const QSignalBlocker block(button);
    button->setChecked(span == model_.Span());
  }
  if (output_->text().toStdString() != model_.OutputPath()) output_->setText(QString::fromStdString(model_.OutputPath()));
  {
    const QSignalBlocker block(quality_);
    quality_->setEnabled(model_.QualityEnabled());
    quality_->setValue(model_.Quality());
  }
  qualityValue_->setEnabled(model_.QualityEnabled());
  qualityValue_->setText(model_.QualityEnabled() ? QString("%1 (CRF %2)").arg(model_.Quality()).arg(model_.Crf())
                                                 : QString("fixed"));
}

void ExportDialogWindow::TryAccept() {
  model_.SetOutputPath(output_->text().toStdString());
  request_ = model_.Accept();
  if (request_) accept();
}

}  // namespace vantorelle::shell
