// The main window's toolbar: one button per command of the toolbar list,
// with the command table's short name as tip and its prompt as status text.
#pragma once

#include <QToolBar>
#include <functional>
#include <vector>

#include "commands/shortcut_table.h"

namespace vantorelle::shell {

class MainToolBar : public QToolBar {
 public:
  // runCommand executes a button's command; isEnabled answers the menu's
  // enable rule for it.
  MainToolBar(const CShortCutTable* table, std::function<void(int)> runCommand, std::function<bool(int)> isEnabled,
              QWidget* parent);

  // The checked state of the buttons that stay pressed while their command
  // is checked (Snap).
  void FollowCheckedState(std::function<bool(int)> isChecked) { isChecked_ = std::move(isChecked); }
  // Enables (and checks) each button as its menu item would be.
  void UpdateButtons();
  // The buttons' commands in order, 0 for each separator.
  std::vector<int> Layout() const;

 private:
  std::function<bool(int)> isEnabled_;
  std::function<bool(int)> isChecked_;
  std::vector<QAction*> buttons_;
};

}  // namespace vantorelle::shell
