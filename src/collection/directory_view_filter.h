// The file patterns the Clip Collection browser's directory view shows for
// its stored filter index (see FilterPositionOf: -1 is all media files).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantorelle {

// The patterns of the chosen filter ("*.AVI" …); empty when it shows every
// file ("*.*"). An index outside the list shows the files of every filter.
std::vector<std::string> DirectoryViewPatterns(const std::vector<std::pair<std::string, std::string>>& filters,
                                               std::int32_t storedFilterIndex);

}  // namespace vantorelle
