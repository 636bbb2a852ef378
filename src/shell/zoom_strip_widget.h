// The strip below the track area: the four zoom buttons, the horizontal
// scroll bar over the project and the work-area fields.
#pragma once

#include <QLabel>
#include <QScrollBar>
#include <QWidget>
#include <functional>

#include "timeline/work_area_navigator.h"

namespace vantorelle::shell {

class ZoomStripWidget : public QWidget, public IWorkAreaDisplay {
 public:
  // Button presses run main commands by id.
  ZoomStripWidget(std::function<void(int)> runCommand, QWidget* parent = nullptr);
  void Attach(WorkAreaNavigator& navigator) { navigator_ = &navigator; }

  void ShowWorkArea(const WorkAreaDisplay& display) override;
  void ShowCurrentTime(TimeMs) override {}

 private:
  WorkAreaNavigator* navigator_ = nullptr;
  QScrollBar* scrollBar_;
  QLabel* start_;
  QLabel* stop_;
  bool showing_ = false;
};

}  // namespace vantorelle::shell
