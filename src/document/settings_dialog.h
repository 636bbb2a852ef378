// The "Settings" dialog as data: its three pages filled from the document,
// the page it opens on, and OK applying them in the order project, general,
// appearance. Cancel is dropping the model: the document is only touched
// by Ok.
#pragma once

#include <array>
#include <cstdint>

#include "document/settings_appearance_page.h"
#include "document/settings_general_page.h"
#include "document/settings_project_page.h"

namespace vantorelle {

class CVantorelleDoc;

class SettingsDialogModel {
 public:
  static constexpr const char* kCaption = "Settings";
  static constexpr std::int32_t kProjectPage = 0;
  static constexpr std::int32_t kGeneralPage = 1;
  static constexpr std::int32_t kAppearancePage = 2;
  static std::array<const char*, 3> PageTitles() {
    return {CSettings_ProjectPage::kTitle, CSettings_GeneralPage::kTitle, CSettings_AppearancePage::kTitle};
  }

  // Opens on the page active when the dialog was last closed with OK.
  explicit SettingsDialogModel(const CVantorelleDoc& doc);

  std::int32_t ActivePage() const { return activePage_; }
  // Pages outside the three are ignored; true when taken.
  bool SelectPage(std::int32_t page);

  CSettings_ProjectPage& Project() { return project_; }
  CSettings_GeneralPage& General() { return general_; }
  CSettings_AppearancePage& Appearance() { return appearance_; }
  const CSettings_ProjectPage& Project() const { return project_; }
  const CSettings_GeneralPage& General() const { return general_; }
  const CSettings_AppearancePage& Appearance() const { return appearance_; }

  // The project page's texts are normalised, then every page is applied,
  // the active page index remembered in the document.
  void Ok(CVantorelleDoc& doc, IDirectoryViewFilter* directoryView = nullptr);

 private:
  std::int32_t activePage_;
  CSettings_ProjectPage project_;
  CSettings_GeneralPage general_;
  CSettings_AppearancePage appearance_;
};

}  // namespace vantorelle
