#include "document/settings_dialog.h"

#include "document/vantorelle_doc.h"

namespace vantorelle {

namespace {

bool IsPage(std::int32_t page) {
  return page >= 0 && page < static_cast<std::int32_t>(SettingsDialogModel::PageTitles().size());
}

}  // namespace

SettingsDialogModel::SettingsDialogModel(const CVantorelleDoc& doc)
    : activePage_(IsPage(doc.preferences.settingsPageIndex) ? doc.preferences.settingsPageIndex : kProjectPage),
      project_(doc),
      general_(doc),
      appearance_(doc) {}

bool SettingsDialogModel::SelectPage(std::int32_t page) {
  if (!IsPage(page)) return false;
  activePage_ = page;
  return true;
}

void SettingsDialogModel::Ok(CVantorelleDoc& doc, IDirectoryViewFilter* directoryView) {
  project_.Normalise();
  project_.Apply(doc, activePage_);
  general_.Apply(doc, directoryView);
  appearance_.Apply(doc);
}

}  // namespace vantorelle
