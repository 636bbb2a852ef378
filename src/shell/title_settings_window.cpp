#include "title_settings_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "qt_bridge.h"
#include "title_pictures.h"
#include "time_edit_widget.h"
#include "titles/title_values.h"

namespace vantorelle::shell {
namespace {

// The half-size picture of the frame with every title region in it, and in
// a slide region the picture it shows.
class RegionPreview : public QWidget {
 public:
  RegionPreview(const TitleTrackSettingsModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    const FrameSize frame = model.PreviewFrame();
    setFixedSize(frame.width, frame.height);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    for (const auto& region : model_.Preview()) {
      painter.fillRect(ToQRect(region.rect), ToQColor(region.fill));
      DrawRegionPicture(painter, region, pictures_);
      painter.setPen(Qt::white);
      painter.drawRect(ToQRect(region.rect).adjusted(0, 0, -1, -1));
    }
  }

 private:
  const TitleTrackSettingsModel& model_;
  TitlePictureCache pictures_;
};

template <std::size_t N>
QComboBox* Choices(QWidget* parent, const std::array<const char*, N>& names, const TitleTrackEditor::ChoiceField& field) {
  auto* box = new QComboBox(parent);
  for (const char* name : names) box->addItem(name);
  box->setCurrentIndex(field.selection);
  box->setEnabled(field.enabled);
  return box;
}

}  // namespace

TitleSettingsWindow::TitleSettingsWindow(CVantorelleDoc& doc, IUserInterface& ui, const CTrack* selectTrack,
                                         QWidget* parent)
    : QDialog(parent), doc_(doc), ui_(ui), model_(doc, selectTrack) {
  setWindowTitle(TitleTrackSettingsModel::kCaption);
  auto* layout = new QVBoxLayout(this);
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setHeaderLabels({"Name", "Info"});
  layout->addWidget(list_);
  auto* buttons = new QHBoxLayout;
  auto* add = new QPushButton("Add new track", this);
  auto* change = new QPushButton("Change", this);
  auto* remove = new QPushButton("Delete selected track", this);
  buttons->addWidget(add);
  buttons->addWidget(change);
  buttons->addWidget(remove);
  layout->addLayout(buttons);

  auto* regionRow = new QHBoxLayout;
  auto* grid = new QGridLayout;
  const char* labels[] = {"Left:", "Top:", "Width:", "Height:", "Right:", "Bottom:"};
  for (int i = 0; i < 6; ++i) {
    fields_[static_cast<std::size_t>(i)] = new QSpinBox(this);
    fields_[static_cast<std::size_t>(i)]->setRange(0, 4096);
    grid->addWidget(new QLabel(labels[i], this), i / 2, i % 2 ? 2 : 0);
    grid->addWidget(fields_[static_cast<std::size_t>(i)], i / 2, i % 2 ? 3 : 1);
  }
  regionRow->addLayout(grid);
  preview_ = new RegionPreview(model_, this);
  regionRow->addWidget(preview_);
  layout->addLayout(regionRow);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(box);

  connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
    if (refreshing_) return;
    model_.Select(list_->indexOfTopLevelItem(list_->currentItem()));
    RefreshFields();
  });
  using Setter = bool (TitleTrackSettingsModel::*)(std::int32_t);
  const Setter setters[] = {&TitleTrackSettingsModel::SetLeft,  &TitleTrackSettingsModel::SetTop,
                            &TitleTrackSettingsModel::SetWidth, &TitleTrackSettingsModel::SetHeight,
                            &TitleTrackSettingsModel::SetRight, &TitleTrackSettingsModel::SetBottom};
  for (std::size_t i = 0; i < 6; ++i) {
    connect(fields_[i], &QSpinBox::editingFinished, this, [this, i, setter = setters[i]] {
      if (refreshing_) return;
      (model_.*setter)(fields_[i]->value());
      model_.TakePreviewDamage();
      RefreshList();
      RefreshFields();
    });
  }
  connect(add, &QPushButton::clicked, this, [this] {
    TitleTrackEditor editor = model_.BeginAdd();
    if (EditRecord(editor)) model_.FinishAdd(editor);
    RefreshList();
    RefreshFields();
  });
  connect(change, &QPushButton::clicked, this, [this] {
    if (!model_.CanChangeSelected()) return;
    TitleTrackEditor editor = model_.BeginChange();
    if (EditRecord(editor)) model_.FinishChange(editor);
    RefreshList();
    RefreshFields();
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    model_.DeleteSelected(ui_);
    RefreshList();
    RefreshFields();
  });
  connect(box, &QDialogButtonBox::accepted, this, [this] {
    if (model_.Ok(doc_)) accept();
  });
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  RefreshList();
  RefreshFields();
}

void TitleSettingsWindow::RefreshList() {
  refreshing_ = true;
  list_->clear();
  for (const auto& row : model_.ListRows()) {
    new QTreeWidgetItem(list_, {QString::fromStdString(row.name), QString::fromStdString(row.info)});
  }
  if (model_.Selected() >= 0) list_->setCurrentItem(list_->topLevelItem(model_.Selected()));
  refreshing_ = false;
}

void TitleSettingsWindow::RefreshFields() {
  refreshing_ = true;
  const auto fields = model_.Fields();
  const std::int32_t values[] = {fields.left, fields.top, fields.width, fields.height, fields.right, fields.bottom};
  for (std::size_t i = 0; i < 6; ++i) {
    fields_[i]->setValue(values[i]);
    fields_[i]->setEnabled(model_.Selected() >= 0);
  }
  refreshing_ = false;
  preview_->update();
}

bool TitleSettingsWindow::EditRecord(TitleTrackEditor& editor) {
  QDialog dialog(this);
  dialog.setWindowTitle(editor.Caption());
  auto* form = new QFormLayout(&dialog);
  auto* name = new QLineEdit(QString::fromStdString(editor.name), &dialog);
  auto* type = new QComboBox(&dialog);
  for (const char* text : kTitleTypeNames) type->addItem(text);
  type->setCurrentIndex(editor.TypeIndex());
  auto* direction = Choices(&dialog, kTitleDirectionNames, editor.Direction());
  auto* precision = Choices(&dialog, kTitlePrecisionNames, editor.Precision());
  auto* speed = new QLineEdit(QString::fromStdString(editor.Speed().text), &dialog);
  auto* perScreen = new QLineEdit(QString::fromStdString(editor.SecondsPerScreenField().text), &dialog);
  perScreen->setReadOnly(true);
  auto* height = new QComboBox(&dialog);
  for (std::int32_t h : kTitleTrackHeights) height->addItem(QString::number(h));
  height->setCurrentIndex(editor.heightChoice);
  auto* fadeIn = new TimeEditWidget(&dialog);
  auto* fadeOut = new TimeEditWidget(&dialog);
  fadeIn->SetValue(editor.fadeIn);
  fadeOut->SetValue(editor.fadeOut);
  const auto refresh = [&] {
    const QSignalBlocker a(direction), b(precision), c(speed);
    direction->setCurrentIndex(editor.Direction().selection);
    direction->setEnabled(editor.Direction().enabled);
    precision->setCurrentIndex(editor.Precision().selection);
    precision->setEnabled(editor.Precision().enabled);
    speed->setText(QString::fromStdString(editor.Speed().text));
    speed->setEnabled(editor.Speed().enabled);
    perScreen->setText(QString::fromStdString(editor.SecondsPerScreenField().text));
  };
  refresh();
  connect(type, &QComboBox::activated, &dialog, [&](int index) {
    editor.SetTypeIndex(index);
    refresh();
  });
  connect(direction, &QComboBox::activated, &dialog, [&](int index) {
    editor.SetDirection(index);
    refresh();
  });
  connect(precision, &QComboBox::activated, &dialog, [&](int index) { editor.SetPrecision(index); });
  connect(speed, &QLineEdit::textEdited, &dialog, [&](const QString& text) {
    editor.TypeSpeed(text.toStdString());
    perScreen->setText(QString::fromStdString(editor.SecondsPerScreenField().text));
  });
  connect(speed, &QLineEdit::editingFinished, &dialog, [&] {
    editor.LeaveSpeedField();
    refresh();
  });
  form->addRow("Name:", name);
  form->addRow("Type:", type);
  form->addRow("Direction:", direction);
  form->addRow("Precision:", precision);
  form->addRow("Max speed:", speed);
  form->addRow("Seconds per screen:", perScreen);
  form->addRow("Track height:", height);
  form->addRow("Fade in:", fadeIn);
  form->addRow("Fade out:", fadeOut);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return false;
  editor.name = name->text().toStdString();
  editor.heightChoice = height->currentIndex();
  editor.fadeIn = fadeIn->Value();
  editor.fadeOut = fadeOut->Value();
  return true;
}

}  // namespace vantorelle::shell
