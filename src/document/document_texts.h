// The fixed texts a project document offers its views and dialogs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "playback/still_image_extensions.h"

namespace vantorelle {

// "File name", "File path", "Duration", "Usage", "File size", "Modified", "Type".
const std::vector<std::string>& CollectionColumnTitles();

inline constexpr const char* kAllMediaFilesFilter = "All media files";

// The source-file dialogs' filters: all media files (every movie, sound and
// image extension the board reports), AVI, WAV, the board's still image
// types, then all files. Without still image parts those are left out.
std::vector<std::pair<std::string, std::string>> SourceDialogFilters(const StillImageExtensions& stillImages,
                                                                     const FileTypeList& movieFiles);

// Stored filter indexes (the dialogs' 1-based ones, the file viewer's and the
// favourites' 0-based ones) were written when the list began with AVI and
// keep their meaning: the position in today's list is one more, and a stored
// index one below the first (0, or -1) means all media files.
inline std::int32_t FilterPositionOf(std::int32_t storedIndex) { return storedIndex + 1; }
inline std::int32_t StoredFilterIndexOf(std::int32_t position) { return position - 1; }

}  // namespace vantorelle
