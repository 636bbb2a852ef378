// The strip below the track area: the four zoom buttons, the horizontal
// scroll bar over the project and the work-area fields.
#pragma once

#include <QLabel>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "commands/shortcut_table.h"
#include "timeline/work_area_navigator.h"

namespace vantorelle::shell {

class ZoomStripWidget : public QWidget, public IWorkAreaDisplay {
 public:
  // Button presses run main commands by id.
  ZoomStripWidget(std::function<void(int)> runCommand, QWidget* parent = nullptr);
  void Attach(WorkAreaNavigator& navigator) { navigator_ = &navigator; }
  // The buttons' tips name their keys as the table has them now.
  void ShowKeysInTips(const CShortCutTable& table);

  void ShowWorkArea(const WorkAreaDisplay& display) override;
  void ShowCurrentTime(TimeMs) override {}

 private:
  WorkAreaNavigator* navigator_ = nullptr;
  std::vector<std::pair<int, QWidget*>> buttons_;
  QScrollBar* scrollBar_;
  QLabel* start_;
  QLabel* stop_;
  bool showing_ = false;
};

}  // namespace vantorelle::shell
