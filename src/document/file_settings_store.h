// The settings store kept in one file in the user's configuration folder.
//
// The whole key tree below kSettingsKey lives in memory; the file is read
// once when the store is made and rewritten as a whole by Flush() and by the
// destructor. Writes are batched rather than flushed one by one: the program
// writes its settings in bursts (every section at shutdown), and one atomic
// replace per burst costs one fsync instead of a hundred. Settings written
// since the last flush are lost only if the process dies without running the
// destructor, which is the same window the sections themselves leave, since
// they are written at shutdown.
//
// A file that cannot be read or fails its checks leaves the store empty, as on
// a first run; the damaged file is replaced by the next flush that has
// something to write. Nothing here throws: failures to write are ignored, as
// every settings write ignores them.
//
// Two programs sharing one folder each keep their own copy in memory; the
// last to flush wins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "document/settings_store.h"

namespace vantorelle {

// The name of the settings file inside the settings folder.
inline constexpr const char* kSettingsFileName = "settings.vrs";

// The folder the settings file lives in: $VANTORELLE_CONFIG_DIR when it is set
// and not empty; otherwise $XDG_CONFIG_HOME/Quorvan-Ixt/Vantorelle when that is
// an absolute path, else $HOME/.config/Quorvan-Ixt/Vantorelle. Empty when
// neither HOME nor XDG_CONFIG_HOME give a folder.
std::filesystem::path SettingsFolderFromEnvironment();

// Every section with its values, as the file holds them.
using SettingsSections = std::map<std::string, std::map<std::string, SettingsValue>>;

// The file's layout, all integers little-endian:
//   header, 16 bytes: "VRST", u16 version (1), u16 reserved (0),
//                     u32 payload length, u32 CRC-32 of the payload
//   payload:          u32 section count, then for each section
//                       u16 name length, name bytes, u32 value count, then for each value
//                         u16 name length, name bytes, u8 type (1 number, 2 bytes),
//                         u32 data length (4 for a number), data
// The payload length must match the file exactly; names within a section
// and section names are unique.
inline constexpr std::uint16_t kSettingsFileVersion = 1;
inline constexpr std::size_t kSettingsFileHeaderSize = 16;
// Larger files are not read at all: no settings come near it.
inline constexpr std::size_t kSettingsFileMaxSize = 16 * 1024 * 1024;

SettingsBytes EncodeSettingsFile(const SettingsSections& sections);
// Nothing when the bytes are not a whole, undamaged settings file.
std::optional<SettingsSections> DecodeSettingsFile(const SettingsBytes& bytes);

class FileSettingsStore : public ISettingsStore {
 public:
  enum class LoadResult {
    NoFile,    // a first run: the settings key does not exist
    Loaded,
    Damaged,   // unreadable, truncated or failing its checks: started empty
  };

  // Reads folder/kSettingsFileName. An empty folder keeps the settings in
  // memory only.
  explicit FileSettingsStore(std::filesystem::path folder);
  // Makes the store in SettingsFolderFromEnvironment().
  FileSettingsStore();
  // Flushes what was written since the last flush.
  ~FileSettingsStore() override;
  FileSettingsStore(const FileSettingsStore&) = delete;
  FileSettingsStore& operator=(const FileSettingsStore&) = delete;

  bool SettingsKeyExists() const override { return keyExists_; }
  bool SectionExists(const std::string& section) const override;
  std::optional<SettingsValue> Read(const std::string& section, const std::string& name) const override;
  void Write(const std::string& section, const std::string& name, SettingsValue value) override;

  // Replaces the file atomically (temporary file in the same folder, fsync,
  // rename, fsync of the folder), creating the folders when missing. Does
  // nothing when nothing changed. False when the file could not be written;
  // the changes stay pending for the next flush.
  bool Flush();
  bool HasPendingChanges() const { return dirty_; }

  LoadResult Loaded() const { return loadResult_; }
  const std::filesystem::path& Folder() const { return folder_; }
  // Empty when the folder is.
  std::filesystem::path FilePath() const;

 private:
  void Load();
  bool WriteFileAtomically(const SettingsBytes& bytes) const;

  std::filesystem::path folder_;
  SettingsSections sections_;
  bool keyExists_ = false;
  bool dirty_ = false;
  LoadResult loadResult_ = LoadResult::NoFile;
};

}  // namespace vantorelle
