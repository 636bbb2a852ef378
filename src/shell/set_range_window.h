// The "Set Range" dialog: Left, Right and Size as time fields. The rules
// (what the fields show first, how each is clamped, what OK stores) are the
// core's SetRangeDialog; this window draws the fields and forwards edits.
#pragma once

#include <QDialog>

class QLineEdit;

#include "model/project_times.h"

namespace vantorelle::shell {

class TimeEditWidget;

class SetRangeWindow : public QDialog {
 public:
  SetRangeWindow(const ProjectTimes& times, QWidget* parent = nullptr);

  // What the fields hold now; Apply it after OK.
  const SetRangeDialog& Model() const { return model_; }

 private:
  void ShowModel();

  SetRangeDialog model_;
  TimeEditWidget* left_ = nullptr;
  TimeEditWidget* right_ = nullptr;
  QLineEdit* size_ = nullptr;
};

}  // namespace vantorelle::shell
