#include "document/settings_appearance_page.h"

#include "document/vantorelle_doc.h"

namespace vantorelle {

namespace {

// The position of the lowest set bit among count bits from first; a type
// with none of them set (a damaged stored value) shows the fallback.
std::int32_t IndexOfBit(std::uint16_t type, int first, int count, std::int32_t fallback) {
  for (int i = 0; i < count; ++i) {
    if (type & (1u << (first + i))) return i;
  }
  return fallback;
}

}  // namespace

CSettings_AppearancePage::CSettings_AppearancePage(const CVantorelleDoc& doc)
    : movieIndex_(IndexOfBit(doc.preferences.snapshotsType, 0, 3, 2)),
      singleImageIndex_(IndexOfBit(doc.preferences.snapshotsType, 8, 2, 1)) {}

bool CSettings_AppearancePage::ChooseMovie(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(MovieChoices().size())) return false;
  movieIndex_ = index;
  return true;
}

bool CSettings_AppearancePage::ChooseSingleImage(std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(SingleImageChoices().size())) return false;
  singleImageIndex_ = index;
  return true;
}

std::uint16_t CSettings_AppearancePage::SnapshotsType() const {
  return static_cast<std::uint16_t>((1u << movieIndex_) | (1u << (singleImageIndex_ + 8)));
}

void CSettings_AppearancePage::Apply(CVantorelleDoc& doc) const {
  doc.preferences.snapshotsType = SnapshotsType();
  if (IDocumentViews* views = doc.Views()) views->Repaint(RedrawMask::All);
}

}  // namespace vantorelle
