#include "document/save_temporaries.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace vantorelle {

namespace fs = std::filesystem;

bool IsSaveTemporaryName(const std::string& candidate, const std::string& targetName) {
  if (targetName.empty()) return false;
  const std::string prefix = "." + targetName + ".saving-";
  if (candidate.size() <= prefix.size() || candidate.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(candidate.begin() + static_cast<std::ptrdiff_t>(prefix.size()), candidate.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::size_t RemoveStaleSaveTemporaries(const std::string& path) {
  const fs::path target(path);
  const std::string name = target.filename().string();
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) return 0;
  std::size_t removed = 0;
  for (const fs::directory_entry& entry : entries) {
    if (!IsSaveTemporaryName(entry.path().filename().string(), name)) continue;
    // Only plain files: a folder or link of that name is nobody's temporary.
    if (!entry.is_regular_file(error) || entry.is_symlink(error)) continue;
    if (fs::remove(entry.path(), error)) ++removed;
  }
  return removed;
}

}  // namespace vantorelle
