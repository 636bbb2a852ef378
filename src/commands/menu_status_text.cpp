#include "commands/menu_status_text.h"

#include "timeline/track_area_menu.h"

namespace vantorelle {

std::string MenuStatusText(const CShortCutTable& table, int highlightedId) {
  if (highlightedId != 0 && table.FindCommand(highlightedId)) return table.PromptText(highlightedId);
  return TrackAreaMenu::StatusText(highlightedId);
}

}  // namespace vantorelle
