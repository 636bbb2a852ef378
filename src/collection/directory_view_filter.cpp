#include "collection/directory_view_filter.h"

#include <algorithm>

#include "document/document_texts.h"

namespace vantorelle {
namespace {

constexpr const char* kEveryFile = "*.*";

// "*.JPG;*.JPEG" → "*.JPG", "*.JPEG"; blanks around each part dropped.
void AddPatterns(const std::string& list, std::vector<std::string>& patterns) {
  std::size_t from = 0;
  while (from <= list.size()) {
    const std::size_t end = std::min(list.find(';', from), list.size());
    const std::size_t first = list.find_first_not_of(' ', from);
    const std::size_t last = list.find_last_not_of(' ', end == 0 ? 0 : end - 1);
    if (first != std::string::npos && first < end && last != std::string::npos && last >= first) {
      patterns.push_back(list.substr(first, last - first + 1));
    }
    from = end + 1;
  }
}

}  // namespace

std::vector<std::string> DirectoryViewPatterns(const std::vector<std::pair<std::string, std::string>>& filters,
                                               std::int32_t storedFilterIndex) {
  std::vector<std::string> patterns;
  const std::int32_t position = FilterPositionOf(storedFilterIndex);
  if (position >= 0 && static_cast<std::size_t>(position) < filters.size()) {
    const std::string& chosen = filters[static_cast<std::size_t>(position)].second;
    if (chosen != kEveryFile) AddPatterns(chosen, patterns);
    return patterns;
  }
  for (const auto& [description, pattern] : filters) {
    if (pattern != kEveryFile) AddPatterns(pattern, patterns);
  }
  return patterns;
}

}  // namespace vantorelle
