// The "Settings" dialog: three tabs over the settings page models.
#pragma once

#include <QDialog>

#include "document/settings_dialog.h"

namespace vantorelle::shell {

class SettingsDialogWindow : public QDialog {
 public:
  SettingsDialogWindow(CVantorelleDoc& doc, IUserInterface& ui, QWidget* parent = nullptr);

 private:
  QWidget* BuildProjectPage();
  QWidget* BuildGeneralPage();
  QWidget* BuildAppearancePage();

  CVantorelleDoc& doc_;
  IUserInterface& ui_;
  SettingsDialogModel model_;
};

}  // namespace vantorelle::shell
