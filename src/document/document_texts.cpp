#include "document/document_texts.h"

namespace vantorelle {

const std::vector<std::string>& CollectionColumnTitles() {
  static const std::vector<std::string> titles{"File name", "File path", "Duration", "Usage",
                                               "File size", "Modified",  "Type"};
  return titles;
}

std::vector<std::pair<std::string, std::string>> SourceDialogFilters(const StillImageExtensions& stillImages,
                                                                     const FileTypeList& movieFiles) {
  // Every file the board reads comes first; the stored filter indexes count
  // from the entry after it (see source_filter_index.h).
  std::string everyMedia;
  for (const FileTypeList* list : {&movieFiles, &stillImages}) {
    for (const std::string& extension : list->extensions) {
      if (!everyMedia.empty()) everyMedia += ';';
      everyMedia += "*." + extension;
    }
  }
  std::vector<std::pair<std::string, std::string>> filters{{kAllMediaFilesFilter, everyMedia},
                                                           {"AVI files(*.AVI)", "*.AVI"},
                                                           {"Wave files(*.WAV)", "*.WAV"}};
  const auto& parts = stillImages.filterParts;
  // A description without its pattern cannot be offered.
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) continue;
    filters.emplace_back(parts[i], parts[i + 1]);
  }
  filters.emplace_back("All files(*.*)", "*.*");
  return filters;
}

}  // namespace vantorelle
