// Shortcut table files (*.vrk): the list the keyboard window edits, saved
// to a file and loaded back. Layout: the header text "Vantorelle shortcut
// table abcde" in the archive text encoding, a u32 count, then per shortcut
// command id, ctrl, shift, key and group as little-endian int32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/shortcut_table.h"
#include "document/archive.h"
#include "model/user_interface.h"

namespace vantorelle {

inline constexpr const char* kShortcutFileHeader = "Vantorelle shortcut table abcde";
inline constexpr const char* kShortcutFileFilter = "Vantorelle shortcut table(*.vrk)";
inline constexpr const char* kShortcutFilePattern = "*.vrk";
// Command id, ctrl, shift, key and group.
inline constexpr std::size_t kShortcutRecordBytes = 20;

inline constexpr const char* kShortcutFileBadFormat = "Invalide shortcut table file format";
inline constexpr const char* kShortcutFileCantCreate = "Can't create shortcut table impex object";
inline constexpr const char* kShortcutFileCantOpen = "Can't open file for save shortcut table";
inline constexpr const char* kShortcutFileFileError = "File error for save shortcut table";
inline constexpr const char* kShortcutFileArchiveError = "Archive error for save shortcut table";
inline constexpr const char* kShortcutFileMemoryError = "Memory error for save shortcut table";

// The archive object of a shortcut file.
struct CShortCutImpex {
  ShortCutList shortcuts;
  // 1 after Load met a file that does not start with the header text.
  std::int32_t badFormat = 0;

  void Store(ArchiveWriter& archive) const;
  // Appends what it reads to shortcuts; throws ArchiveError when the data
  // ends early or is malformed.
  void Load(ArchiveReader& archive);
};

std::vector<std::uint8_t> ShortcutFileBytes(const ShortCutList& shortcuts);

// The shortcuts of a file, or the text of why there are none: a failed load
// never hands out part of a list.
struct ShortcutFileLoad {
  ShortCutList shortcuts;
  std::string error;   // empty on success
  std::string reason;  // the system's reason for the error, when it has one
  bool Ok() const { return error.empty(); }
};

struct ShortcutFileSave {
  std::string error;   // empty on success
  std::string reason;  // the system's reason for the error, when it has one
  bool Ok() const { return error.empty(); }
};

ShortcutFileLoad ParseShortcutFile(const std::vector<std::uint8_t>& bytes);
// Opens only a regular file and reads it as the parse goes: a file much
// longer than its count allows is refused without being loaded.
ShortcutFileLoad LoadShortcutFile(const std::string& path);
// Written like a project: through a temporary beside the file (the file a
// link points to), made durable and renamed over it; a read-only file is
// refused.
ShortcutFileSave SaveShortcutFile(const std::string& path, const ShortCutList& shortcuts);

// The file's shortcuts; on any failure the warning box with its text (and
// the system's reason on a second line) and a copy of the defaults instead.
ShortCutList LoadShortcutFileOrDefault(const std::string& path, const ShortCutList& defaults, IUserInterface& ui);
// False, after the warning box with its reason, when the file was not written.
bool SaveShortcutFileOrWarn(const std::string& path, const ShortCutList& shortcuts, IUserInterface& ui);

}  // namespace vantorelle
