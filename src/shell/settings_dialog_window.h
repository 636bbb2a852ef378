// The "Settings" dialog: three tabs over the settings page models.
#pragma once

#include <QDialog>

#include "document/settings_dialog.h"

namespace vantorelle::shell {

class SettingsDialogWindow : public QDialog {
 public:
  // The directory view, when given, shows the filter chosen on OK.
  SettingsDialogWindow(CVantorelleDoc& doc, IUserInterface& ui, IDirectoryViewFilter* directoryView = nullptr,
                       QWidget* parent = nullptr);

 private:
  QWidget* BuildProjectPage();
  QWidget* BuildGeneralPage();
  QWidget* BuildAppearancePage();

  CVantorelleDoc& doc_;
  IUserInterface& ui_;
  IDirectoryViewFilter* directoryView_;
  SettingsDialogModel model_;
};

}  // namespace vantorelle::shell
