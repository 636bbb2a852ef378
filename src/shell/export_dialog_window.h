// The Export dialog: the preset, what to export, the file and the quality.
// The rules (proposed names, refusals, the replace question, what is
// remembered) are the core's ExportDialogModel; this window draws its state
// and forwards the person's choices.
#pragma once

#include <QDialog>
#include <optional>

#include "export/export_dialog_model.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace vantorelle::shell {

class ExportDialogWindow : public QDialog {
 public:
  ExportDialogWindow(ExportDialogContext context, ISettingsStore& store, IUserInterface& ui,
                     QWidget* parent = nullptr);

  // After the dialog was accepted: the export to start.
  const std::optional<ExportRequest>& Request() const { return request_; }
  const ExportDialogModel& Model() const { return model_; }

 private:
  void ShowModel();
  void TryAccept();

  ExportDialogModel model_;
  std::optional<ExportRequest> request_;
  QComboBox* presets_ = nullptr;
  QButtonGroup* spans_ = nullptr;
  QLineEdit* output_ = nullptr;
  QSlider* quality_ = nullptr;
  QLabel* qualityValue_ = nullptr;
};

}  // namespace vantorelle::shell
