// File types a board component reports (the still images the title image
// component loads, the movie and sound files the movie component offers):
// their extensions and the parts of its file filter text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantorelle {

struct FileTypeList {
  std::vector<std::string> extensions;   // without dot, first spelling kept
  std::vector<std::string> filterParts;  // description, pattern, description, ...

  bool Contains(std::string_view extension) const;
  // Adds the extensions of a "description|pattern|..." filter text; every '*'
  // starts a pattern whose extension runs from two characters after it to the
  // next ';', ')' or '|'.
  void AddFilter(std::string_view filter);
};

using StillImageExtensions = FileTypeList;

}  // namespace vantorelle
