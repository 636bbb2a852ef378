// The "Customize Keyboard" window over its model; key presses reach it
// through the application's key capture.
#pragma once

#include <QDialog>

#include "commands/customize_keyboard.h"
#include "document/vantorelle_app.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace vantorelle::shell {

class KeyboardWindow : public QDialog {
 public:
  KeyboardWindow(CShortCutTable& table, IUserInterface& ui, QWidget* parent = nullptr);

 private:
  void RefreshCommands();
  void RefreshKeys();
  void RefreshTable();
  void CaptureKey();

  CustomizeKeyboardModel model_;
  QComboBox* categories_ = nullptr;
  QListWidget* commands_ = nullptr;
  QLabel* description_ = nullptr;
  QListWidget* keys_ = nullptr;
  QTreeWidget* table_ = nullptr;
  QPushButton* tableButton_ = nullptr;
};

}  // namespace vantorelle::shell
