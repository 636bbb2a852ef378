#include "document/settings_store.h"

namespace vantorelle {

std::optional<SettingsValue> MemorySettingsStore::Read(const std::string& section, const std::string& name) const {
  const auto found = sections_.find(section);
  if (found == sections_.end()) return std::nullopt;
  const auto value = found->second.find(name);
  if (value == found->second.end()) return std::nullopt;
  return value->second;
}

void MemorySettingsStore::Write(const std::string& section, const std::string& name, SettingsValue value) {
  keyExists_ = true;
  sections_[section][name] = std::move(value);
}

void MemorySettingsStore::Remove(const std::string& section, const std::string& name) {
  const auto found = sections_.find(section);
  if (found != sections_.end()) found->second.erase(name);
}

void MemorySettingsStore::CreateSection(const std::string& section) {
  keyExists_ = true;
  sections_[section];
}

}  // namespace vantorelle
