// What the status bar says while nothing else speaks: how to begin while
// the project has no clips, "Ready" once it has.
#pragma once

#include <string>

#include "commands/shortcut_table.h"
#include "document/vantorelle_doc.h"

namespace vantorelle {

inline constexpr const char* kReadyStatusText = "Ready";

// The hint names the key "Add source file..." has now, if it has one.
std::string EmptyProjectHint(const CShortCutTable* table);
std::string IdleStatusText(const CVantorelleDoc& doc, const CShortCutTable* table);

}  // namespace vantorelle
