// The file dialog that chooses a source file, for the Clip Collection and for
// the track area's placement: both open on the filter chosen there last time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "document/vantorelle_doc.h"

namespace vantorelle {

// Asks for a source file with the document's source filters, starting on
// storedFilterIndex (a stored index, see FilterPositionOf). When a file is
// chosen the filter it was chosen under is stored back there; a cancel
// changes nothing.
std::optional<std::string> AskSourceFile(CVantorelleDoc& doc, const std::string& title,
                                         std::int32_t& storedFilterIndex);

}  // namespace vantorelle
