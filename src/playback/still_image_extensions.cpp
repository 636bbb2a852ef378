#include "playback/still_image_extensions.h"

#include "model/source_paths.h"

namespace vantorelle {

bool FileTypeList::Contains(std::string_view extension) const {
  for (const auto& known : extensions) {
    if (EqualsIgnoreCase(known, extension)) return true;
  }
  return false;
}

void FileTypeList::AddFilter(std::string_view filter) {
  for (std::size_t star = filter.find('*'); star != std::string_view::npos;
       star = filter.find('*', star + 1)) {
    const std::size_t start = star + 2;
    if (start > filter.size()) break;
    const std::size_t end = filter.find_first_of(";)|", start);
    const std::string_view extension =
        filter.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!extension.empty() && !Contains(extension)) extensions.emplace_back(extension);
  }
  std::size_t begin = 0;
  while (begin < filter.size()) {
    const std::size_t bar = filter.find('|', begin);
    const std::size_t end = bar == std::string_view::npos ? filter.size() : bar;
    filterParts.emplace_back(filter.substr(begin, end - begin));
    begin = end + 1;
  }
}

}  // namespace vantorelle
