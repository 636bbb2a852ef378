#include "clip_properties_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "model/track.h"
#include "time_edit_widget.h"
#include "timeline/work_area_view.h"

namespace vantorelle::shell {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

QComboBox* Choices(QWidget* parent, const char* const (&names)[2], int current) {
  auto* box = new QComboBox(parent);
  for (const char* name : names) box->addItem(name);
  box->setCurrentIndex(current);
  return box;
}

}  // namespace

ClipPropertiesWindow::ClipPropertiesWindow(ClipPropertiesDialog& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setWindowTitle(model.Caption());
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);

  name_ = new QLineEdit(Text(model.name), this);
  form->addRow("Name:", name_);
  start_ = AddTimeField(*form, "Start:", model.start);
  stop_ = AddShownField(*form, "Stop:");
  size_ = AddTimeField(*form, "Size:", model.size);
  // Only movie clips play from an offset into their source; the others keep 0.
  const bool movie = model.Kind() == ClipDialogKind::Video || model.Kind() == ClipDialogKind::Audio;
  if (movie) {
    in_ = AddTimeField(*form, "In:", model.in);
  } else {
    AddShownField(*form, "In:")->setText(Text(model.in));
  }
  out_ = AddShownField(*form, "Out:");
  AddShownField(*form, "Source length:")->setText(Text(model.SourceLength()));

  if (model.HasFades()) {
    auto fadeRow = [&](const char* label, const std::string& text, bool useTrack, QCheckBox*& box) {
      auto* field = new TimeEditWidget(this);
      field->SetValue(ParseTimeText(text));
      box = new QCheckBox("Use track value", this);
      box->setChecked(useTrack);
      auto* row = new QHBoxLayout;
      row->addWidget(field);
      row->addWidget(box);
      form->addRow(label, row);
      return field;
    };
    fadeIn_ = fadeRow("Fade in:", model.fadeIn, model.useTrackFadeIn, useTrackFadeIn_);
    fadeOut_ = fadeRow("Fade out:", model.fadeOut, model.useTrackFadeOut, useTrackFadeOut_);
  }
  if (model.HasVolume()) {
    volume_ = new QSpinBox(this);
    volume_->setRange(1, 100);
    volume_->setSuffix(" %");
    volume_->setValue(std::clamp(model.volumePercent, 1, 100));
    form->addRow("Volume:", volume_);
  }

  selection_ = Choices(this, kSelectionChoices, model.selection);
  form->addRow("Selection:", selection_);
  linked_ = Choices(this, kLinkChoices, model.linked);
  // A clip without partners has nothing to stay linked to.
  linked_->setEnabled(model.linked != 0);
  form->addRow("Link:", linked_);
  // Unlinked, the clip leaves its partners' room behind.
  connect(linked_, &QComboBox::currentIndexChanged, this, [this](int index) { model_.linked = index; });

  // The start is held between the neighbouring clips while it is typed.
  connect(start_, &TimeEditWidget::ValueEdited, this, [this](double value) {
    model_.ChangeStart(FormatTimeFull(value));
    const TimeMs held = ParseTimeText(model_.start);
    if (held != start_->Value()) start_->SetValue(held);
    RefreshDerived();
  });
  connect(size_, &TimeEditWidget::ValueEdited, this, [this](double) { RefreshDerived(); });
  if (in_) connect(in_, &TimeEditWidget::ValueEdited, this, [this](double) { RefreshDerived(); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  RefreshDerived();
}

TimeEditWidget* ClipPropertiesWindow::AddTimeField(QFormLayout& form, const char* label, const std::string& text) {
  auto* field = new TimeEditWidget(this);
  field->SetValue(ParseTimeText(text));
  form.addRow(label, field);
  return field;
}

QLineEdit* ClipPropertiesWindow::AddShownField(QFormLayout& form, const char* label) {
  auto* field = new QLineEdit(this);
  field->setReadOnly(true);
  field->setFocusPolicy(Qt::NoFocus);
  form.addRow(label, field);
  return field;
}

void ClipPropertiesWindow::TakeFields() {
  // The link state first: it decides how far the start may go.
  model_.linked = linked_->currentIndex();
  model_.ChangeStart(FormatTimeFull(start_->Value()));
  model_.size = FormatTimeFull(size_->Value());
  if (in_) model_.in = FormatTimeFull(in_->Value());
  model_.name = name_->text().toStdString();
  model_.selection = selection_->currentIndex();
  if (fadeIn_) {
    model_.fadeIn = FormatTimeFull(fadeIn_->Value());
    model_.fadeOut = FormatTimeFull(fadeOut_->Value());
    model_.useTrackFadeIn = useTrackFadeIn_->isChecked();
    model_.useTrackFadeOut = useTrackFadeOut_->isChecked();
  }
  if (volume_) model_.volumePercent = volume_->value();
}

void ClipPropertiesWindow::RefreshDerived() {
  model_.size = FormatTimeFull(size_->Value());
  if (in_) model_.in = FormatTimeFull(in_->Value());
  stop_->setText(Text(model_.Stop()));
  out_->setText(Text(model_.Out()));
}

bool ExecClipPropertiesDialog(CVantorelleDoc& doc, CFilm& clip, QWidget* parent, const TimePixelMapping* view) {
  ClipPropertiesDialog model(clip);
  ClipPropertiesWindow window(model, parent);
  if (window.exec() != QDialog::Accepted) return false;
  window.TakeFields();
  const WorkAreaView fallback(doc.timeline.workArea, 800);
  model.Apply(doc.times, view ? *view : fallback);
  doc.SetModified(true);
  return true;
}

}  // namespace vantorelle::shell
