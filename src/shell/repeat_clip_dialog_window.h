// The "Repeat Clip" dialog: a thin form over RepeatClipDialog, which holds
// the copy count, the pause and where the copies end.
#pragma once

#include <QDialog>

#include "timeline/clip_editor.h"

class QLabel;
class QSpinBox;

namespace vantorelle::shell {

class TimeEditWidget;

class RepeatClipDialogWindow : public QDialog {
 public:
  RepeatClipDialogWindow(RepeatClipDialog& dialog, QWidget* parent = nullptr);

 private:
  void RefreshResult();

  RepeatClipDialog& dialog_;
  QSpinBox* count_ = nullptr;
  TimeEditWidget* pause_ = nullptr;
  QLabel* result_ = nullptr;
};

// Shows the dialog; on OK the dialog holds the chosen count and pause.
bool ExecRepeatClipDialog(RepeatClipDialog& dialog, QWidget* parent);

}  // namespace vantorelle::shell
