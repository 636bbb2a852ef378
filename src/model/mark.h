// A named mark on the time line. Marks travel with undo snapshots but are
// not kept in project files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/time_base.h"

namespace vantorelle {

using ColourRef = std::uint32_t;  // 0x00BBGGRR

class CUMark {
 public:
  CUMark() = default;
  explicit CUMark(TimeMs t) : time(t) {}

  TimeMs time = 0.0;
  std::string name;
  std::string comments;
  std::int32_t group = 0;

  // The colour follows the group.
  ColourRef Colour() const;
};

// "All groups", "Active", "Groupe 1" … "Groupe 10", "Export separator", "Stop playback".
const std::vector<std::string>& MarkGroupNames();
ColourRef MarkGroupColour(std::int32_t group);

}  // namespace vantorelle
