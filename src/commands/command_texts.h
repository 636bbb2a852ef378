// The menu text and tip of a main command as they stand now: the command
// table's texts, under the name the command hub gives commands whose name
// follows the editing state (Undo and Redo name their step).
#pragma once

#include <string>

#include "commands/shortcut_table.h"
#include "timeline/command_hub.h"

namespace vantorelle {

std::string CurrentMenuText(const CShortCutTable& table, const CommandHub& hub, int id);
std::string CurrentTipText(const CShortCutTable& table, const CommandHub& hub, int id);

}  // namespace vantorelle
