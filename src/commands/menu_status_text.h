// The status-bar text while a menu item is highlighted: the command's
// prompt from the command table, the track area's own texts for its items
// that have no table entry, and "Ready" for everything else.
#pragma once

#include <string>

#include "commands/shortcut_table.h"

namespace vantorelle {

std::string MenuStatusText(const CShortCutTable& table, int highlightedId);

}  // namespace vantorelle
