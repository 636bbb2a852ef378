// The status-bar text while an item of the Clip Collection list's menus is
// highlighted.
#pragma once

#include <functional>
#include <string>

#include "collection/clip_list_model.h"

namespace vantorelle {

// The command table's description of a command; empty when it has none.
using CommandDescriptionLookup = std::function<std::string(int)>;

// The table's description first; then the list's own items: the show/hide
// items by the column's current state, the "Arrange" items and the view
// modes; "Ready" for anything else.
std::string ClipListStatusText(const CClipList& list, int highlightedId, const CommandDescriptionLookup& describe);

}  // namespace vantorelle
