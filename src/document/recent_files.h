// The four projects last opened or saved, newest first, kept in the
// settings store for the File menu.
#pragma once

#include <string>
#include <vector>

#include "document/settings_store.h"

namespace vantorelle {

inline constexpr const char* kRecentFileSection = "Recent File List";

class RecentFileList {
 public:
  static constexpr std::size_t kSize = 4;

  // A path already in the list moves to the front.
  void Add(const std::string& path);
  void Remove(const std::string& path);
  const std::vector<std::string>& Paths() const { return paths_; }
  // "&1 name" ... as the File menu shows them.
  std::vector<std::string> MenuTexts() const;

  void Load(const ISettingsStore& store);
  void Save(ISettingsStore& store) const;

 private:
  std::vector<std::string> paths_;
};

}  // namespace vantorelle
