// The five clip properties dialogs (video, audio, single image and the two
// title kinds): a thin form over ClipPropertiesDialog, which holds the field
// texts, the neighbour limit on the start and what OK changes.
#pragma once

#include <QDialog>

#include "document/vantorelle_doc.h"
#include "model/clip_properties.h"
#include "model/time_pixel_mapping.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;

namespace vantorelle::shell {

class TimeEditWidget;

class ClipPropertiesWindow : public QDialog {
 public:
  ClipPropertiesWindow(ClipPropertiesDialog& model, QWidget* parent = nullptr);

  // Moves what the form holds into the model; the caller applies it.
  void TakeFields();

 private:
  TimeEditWidget* AddTimeField(QFormLayout& form, const char* label, const std::string& text);
  QLineEdit* AddShownField(QFormLayout& form, const char* label);
  void RefreshDerived();

  ClipPropertiesDialog& model_;
  TimeEditWidget* start_ = nullptr;
  TimeEditWidget* size_ = nullptr;
  TimeEditWidget* in_ = nullptr;
  TimeEditWidget* fadeIn_ = nullptr;
  TimeEditWidget* fadeOut_ = nullptr;
  QLineEdit* stop_ = nullptr;
  QLineEdit* out_ = nullptr;
  QLineEdit* name_ = nullptr;
  QComboBox* selection_ = nullptr;
  QComboBox* linked_ = nullptr;
  QCheckBox* useTrackFadeIn_ = nullptr;
  QCheckBox* useTrackFadeOut_ = nullptr;
  QSpinBox* volume_ = nullptr;
};

// Opens the dialog that fits the clip; on OK the clip (and its linked
// clips) take the fields, the project grows to the clip's end and the
// document is marked modified. Answers whether OK was chosen. Without a view
// the fades of linked clips are fitted against the document's work area.
bool ExecClipPropertiesDialog(CVantorelleDoc& doc, CFilm& clip, QWidget* parent,
                              const TimePixelMapping* view = nullptr);

}  // namespace vantorelle::shell
