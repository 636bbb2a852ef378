// The window of the video format choice (New project, Screen size settings):
// the presets by name with "Custom" after them, and the custom width, height
// and rate, enabled while Custom is chosen. It fills the core's chooser.
#pragma once

#include <QDialog>
#include <QString>

#include "timeline/video_format_chooser.h"

class QComboBox;
class QSpinBox;
class QLabel;

namespace vantorelle::shell {

class VideoFormatDialogWindow : public QDialog {
 public:
  VideoFormatDialogWindow(const QString& title, VideoFormatChooser& chooser, QWidget* parent = nullptr);

  // For the window's tests.
  QComboBox* PresetBox() const { return presets_; }
  QSpinBox* WidthBox() const { return width_; }
  QSpinBox* HeightBox() const { return height_; }
  QComboBox* RateBox() const { return rates_; }
  QLabel* Problem() const { return problem_; }

  // OK: taken only when the custom size can be run; the reason shows otherwise.
  void accept() override;

 private:
  void ShowChooser();
  void FollowCustomFields();

  VideoFormatChooser& chooser_;
  QComboBox* presets_ = nullptr;
  QSpinBox* width_ = nullptr;
  QSpinBox* height_ = nullptr;
  QComboBox* rates_ = nullptr;
  QLabel* problem_ = nullptr;
  bool showing_ = false;  // while the fields are filled from the chooser
};

}  // namespace vantorelle::shell
