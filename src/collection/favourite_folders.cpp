#include "collection/favourite_folders.h"

#include <algorithm>

namespace vantorelle {
namespace {

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

}  // namespace

std::string FavouriteFolderName(const std::string& path) {
  const std::string folder = WithoutTrailingSeparators(path);
  const std::size_t separator = folder.find_last_of("/\\");
  if (separator == std::string::npos || separator + 1 == folder.size()) return folder;
  return folder.substr(separator + 1);
}

bool AddFavouriteFolder(std::vector<CFvrDirObject>& favourites, const std::string& path, std::int32_t filterIndex) {
  const std::string folder = WithoutTrailingSeparators(path);
  if (folder.empty()) return false;
  const bool known = std::any_of(favourites.begin(), favourites.end(), [&](const CFvrDirObject& favourite) {
    return WithoutTrailingSeparators(favourite.path) == folder;
  });
  if (known) return false;
  favourites.push_back({folder, FavouriteFolderName(folder), filterIndex});
  return true;
}

}  // namespace vantorelle
