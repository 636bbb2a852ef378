#include "commands/shortcut_file.h"

#include <fstream>
#include <iterator>
#include <new>

namespace vantorelle {
namespace {

// Warning boxes of the file commands carry the program's name.
constexpr const char* kWarningCaption = "Vantorelle";

}  // namespace

void CShortCutImpex::Store(ArchiveWriter& archive) const {
  archive.Text(kShortcutFileHeader);
  archive.U32(static_cast<std::uint32_t>(shortcuts.size()));
  for (const auto& shortcut : shortcuts) {
    archive.I32(shortcut.commandId);
    archive.I32(shortcut.ctrl);
    archive.I32(shortcut.shift);
    archive.I32(shortcut.key);
    archive.I32(static_cast<std::int32_t>(shortcut.group));
  }
}

void CShortCutImpex::Load(ArchiveReader& archive) {
  if (archive.Text() != kShortcutFileHeader) {
    badFormat = 1;
    return;
  }
  // The count is not trusted for a reservation: a damaged one runs out of
  // data (an archive error) long before it runs out of memory.
  const std::uint32_t count = archive.U32();
  for (std::uint32_t i = 0; i < count; ++i) {
    CShortCut shortcut;
    shortcut.commandId = archive.I32();
    shortcut.ctrl = archive.I32();
    shortcut.shift = archive.I32();
    shortcut.key = archive.I32();
    shortcut.group = static_cast<CommandGroup>(archive.I32());
    shortcuts.push_back(shortcut);
  }
}

std::vector<std::uint8_t> ShortcutFileBytes(const ShortCutList& shortcuts) {
  ArchiveWriter writer;
  CShortCutImpex{shortcuts}.Store(writer);
  return writer.Take();
}

ShortcutFileLoad ParseShortcutFile(const std::vector<std::uint8_t>& bytes) {
  try {
    CShortCutImpex impex;
    ArchiveReader reader(bytes);
    impex.Load(reader);
    if (impex.badFormat) return {{}, kShortcutFileBadFormat};
    return {std::move(impex.shortcuts), {}};
  } catch (const ArchiveError&) {
    return {{}, kShortcutFileArchiveError};
  } catch (const std::bad_alloc&) {
    return {{}, kShortcutFileMemoryError};
  }
}

ShortcutFileLoad LoadShortcutFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {{}, kShortcutFileCantOpen};
  std::vector<std::uint8_t> bytes;
  try {
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  } catch (const std::bad_alloc&) {
    return {{}, kShortcutFileMemoryError};
  }
  if (file.bad()) return {{}, kShortcutFileFileError};
  return ParseShortcutFile(bytes);
}

std::string SaveShortcutFile(const std::string& path, const ShortCutList& shortcuts) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ShortcutFileBytes(shortcuts);
  } catch (const std::bad_alloc&) {
    return kShortcutFileMemoryError;
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return kShortcutFileCantOpen;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (file.fail()) return kShortcutFileFileError;
  return {};
}

ShortCutList LoadShortcutFileOrDefault(const std::string& path, const ShortCutList& defaults, IUserInterface& ui) {
  ShortcutFileLoad loaded = LoadShortcutFile(path);
  if (loaded.Ok()) return std::move(loaded.shortcuts);
  ui.Warn(loaded.error, kWarningCaption);
  return defaults;
}

bool SaveShortcutFileOrWarn(const std::string& path, const ShortCutList& shortcuts, IUserInterface& ui) {
  const std::string error = SaveShortcutFile(path, shortcuts);
  if (error.empty()) return true;
  ui.Warn(error, kWarningCaption);
  return false;
}

}  // namespace vantorelle
