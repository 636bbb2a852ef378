// The fixed texts a project document offers its views and dialogs.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "playback/still_image_extensions.h"

namespace vantorelle {

// "File name", "File path", "Duration", "Usage", "File size", "Modified", "Type".
const std::vector<std::string>& CollectionColumnTitles();

// The source-file dialogs' filters: AVI, WAV, the board's still image types,
// then all files. Without still image parts those are left out.
std::vector<std::pair<std::string, std::string>> SourceDialogFilters(const StillImageExtensions& stillImages);

}  // namespace vantorelle
