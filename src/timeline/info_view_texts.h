// The info view beside the ruler: the range start, the range stop and the
// current time mark in the current time display format, each with its label.
#pragma once

#include <array>
#include <string>
#include <utility>

#include "document/vantorelle_doc.h"

namespace vantorelle {

inline constexpr const char* kInfoViewInitialText = "00:00:00:000";

// Label and text, from top to bottom.
std::array<std::pair<std::string, std::string>, 3> InfoViewTexts(const CVantorelleDoc& doc);

}  // namespace vantorelle
