// The pieces of an import filter text, "description(patterns)|patterns|...",
// shared by the lists of file types the board's components report.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace vantorelle {

// "*.a;*.b" for the extensions of types[first, last).
template <typename FileType>
std::string ExtensionPatterns(std::span<const FileType> types, std::size_t first, std::size_t last) {
  std::string patterns;
  for (std::size_t i = first; i < last; ++i) {
    if (i > first) patterns += ';';
    patterns += "*.";
    patterns += types[i].extension;
  }
  return patterns;
}

// Appends "description(patterns)|patterns|".
inline void AppendFilterPart(std::string& filter, std::string_view description, const std::string& patterns) {
  filter += description;
  filter += '(';
  filter += patterns;
  filter += ")|";
  filter += patterns;
  filter += '|';
}

}  // namespace vantorelle
