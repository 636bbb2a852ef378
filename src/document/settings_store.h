// The per-user settings store: sections under one settings key, each holding
// named values that are either 32-bit numbers or raw bytes. Reading never
// fails loudly: a missing value is simply absent.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vantorelle {

using SettingsBytes = std::vector<std::uint8_t>;
using SettingsValue = std::variant<std::int32_t, SettingsBytes>;

// The key the program's settings live under; sections are its subkeys.
inline constexpr const char* kSettingsKey = "Software\\Quorvan-Ixt\\Vantorelle\\Settings";

class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;

  // False before the program ever wrote its settings: a first run.
  virtual bool SettingsKeyExists() const = 0;
  virtual bool SectionExists(const std::string& section) const = 0;
  virtual std::optional<SettingsValue> Read(const std::string& section, const std::string& name) const = 0;
  // Creates the settings key and the section when they do not exist.
  virtual void Write(const std::string& section, const std::string& name, SettingsValue value) = 0;
};

// A store held in memory only: for tests and for runs that keep no settings.
class MemorySettingsStore : public ISettingsStore {
 public:
  bool SettingsKeyExists() const override { return keyExists_; }
  bool SectionExists(const std::string& section) const override { return sections_.count(section) != 0; }
  std::optional<SettingsValue> Read(const std::string& section, const std::string& name) const override;
  void Write(const std::string& section, const std::string& name, SettingsValue value) override;

  // Tests damage or remove single values with these.
  void Remove(const std::string& section, const std::string& name);
  void RemoveSection(const std::string& section) { sections_.erase(section); }
  void CreateSection(const std::string& section);

  using Section = std::map<std::string, SettingsValue>;
  const std::map<std::string, Section>& Sections() const { return sections_; }

 private:
  bool keyExists_ = false;
  std::map<std::string, Section> sections_;
};

}  // namespace vantorelle
