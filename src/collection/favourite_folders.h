// The favourite folders of the Clip Collection browser: folders kept by
// name for a quick return, remembered with the project and in the settings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/layout_settings.h"

namespace vantorelle {

// What a folder is called among the favourites: its last part, "/" for the
// root.
std::string FavouriteFolderName(const std::string& path);

// Appends the folder, named by its last part, unless it is a favourite
// already (a trailing separator aside); answers whether it was added.
bool AddFavouriteFolder(std::vector<CFvrDirObject>& favourites, const std::string& path, std::int32_t filterIndex);

}  // namespace vantorelle
