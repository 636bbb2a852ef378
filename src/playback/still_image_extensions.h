// The image file types the board's still image component can load: their
// extensions and the parts of its file filter text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantorelle {

struct StillImageExtensions {
  std::vector<std::string> extensions;   // without dot, first spelling kept
  std::vector<std::string> filterParts;  // description, pattern, description, ...

  bool Contains(std::string_view extension) const;
  // Adds the extensions of a "description|pattern|..." filter text; every '*'
  // starts a pattern whose extension runs from two characters after it to the
  // next ';', ')' or '|'.
  void AddFilter(std::string_view filter);
};

}  // namespace vantorelle
