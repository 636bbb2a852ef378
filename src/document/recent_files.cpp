#include "document/recent_files.h"

#include <algorithm>

#include "document/archive.h"
#include "document/settings_values.h"
#include "model/source_paths.h"

namespace vantorelle {
namespace {

std::string ValueName(std::size_t index) { return "File" + std::to_string(index + 1); }

}  // namespace

void RecentFileList::Add(const std::string& path) {
  Remove(path);
  paths_.insert(paths_.begin(), path);
  if (paths_.size() > kSize) paths_.resize(kSize);
}

void RecentFileList::Remove(const std::string& path) {
  paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
}

std::vector<std::string> RecentFileList::MenuTexts() const {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < paths_.size(); ++i) texts.push_back("&" + std::to_string(i + 1) + " " + FileNameOf(paths_[i]));
  return texts;
}

void RecentFileList::Load(const ISettingsStore& store) {
  paths_.clear();
  for (std::size_t i = 0; i < kSize; ++i) {
    const auto bytes = ReadSettingsBinary(store, kRecentFileSection, ValueName(i));
    if (!bytes) continue;
    try {
      ArchiveReader reader(*bytes);
      std::string path = reader.Text();
      if (!path.empty() && std::find(paths_.begin(), paths_.end(), path) == paths_.end()) paths_.push_back(path);
    } catch (const ArchiveError&) {
      // A damaged entry is simply not offered.
    }
  }
}

void RecentFileList::Save(ISettingsStore& store) const {
  for (std::size_t i = 0; i < kSize; ++i) {
    ArchiveWriter writer;
    writer.Text(i < paths_.size() ? paths_[i] : std::string());
    store.Write(kRecentFileSection, ValueName(i), writer.Take());
  }
}

}  // namespace vantorelle
