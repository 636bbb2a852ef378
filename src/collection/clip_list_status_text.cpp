#include "collection/clip_list_status_text.h"

namespace vantorelle {

namespace {

const char* ViewModeText(ClipListViewMode mode) {
  switch (mode) {
    case ClipListViewMode::List: return "Dysplays items in a list";
    case ClipListViewMode::SmallIcons: return "Dysplays items by using small icons";
    case ClipListViewMode::LargeIcons: return "Dysplays items by using large icons";
    case ClipListViewMode::Details: break;
  }
  return "Dysplays information about each item in the window";
}

}  // namespace

std::string ClipListStatusText(const CClipList& list, int highlightedId, const CommandDescriptionLookup& describe) {
  if (describe) {
    std::string description = describe(highlightedId);
    if (!description.empty()) return description;
  }
  if (const auto column = ShowColumnOfCommand(highlightedId)) {
    return std::string(list.IsColumnShown(*column) ? "Hide " : "Show ") + ClipListColumnTitle(*column) + " columnn";
  }
  if (const auto column = ArrangeColumnOfCommand(highlightedId)) {
    return "Sort items by " + ClipListColumnTitle(*column);
  }
  if (const auto mode = ViewModeOfCommand(highlightedId)) return ViewModeText(*mode);
  return "Ready";
}

}  // namespace vantorelle
