#include "commands/shortcut_file.h"

#include <cerrno>
#include <cstdint>
#include <new>
#include <optional>

#include "document/atomic_file.h"
#include "document/file_archive_source.h"
#include "document/save_temporaries.h"
#include "model/regular_file.h"

namespace vantorelle {
namespace {

// Warning boxes of the file commands carry the program's name.
constexpr const char* kWarningCaption = "Vantorelle";
// Room after the records for bytes some other writer added; a file longer
// than that is no shortcut table.
constexpr std::size_t kMostBytesAfterShortcuts = 64 * 1024;

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
  if (count > archive.Remaining() / kShortcutRecordBytes) throw ArchiveError("count beyond the data");
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
    if (impex.badFormat) return {{}, kShortcutFileBadFormat, {}};
    return {std::move(impex.shortcuts), {}, {}};
  } catch (const ArchiveError&) {
    return {{}, kShortcutFileArchiveError, {}};
  } catch (const std::bad_alloc&) {
    return {{}, kShortcutFileMemoryError, {}};
  }
}

ShortcutFileLoad LoadShortcutFile(const std::string& path) {
  std::string reason;
  std::optional<RegularFile> file = RegularFile::Open(path, reason);
  if (!file) return {{}, kShortcutFileCantOpen, reason};
  // Read as the parse goes, each count checked against the bytes left:
  // a huge file is refused without being loaded.
  FileArchiveSource source(*file);
  try {
    CShortCutImpex impex;
    ArchiveReader reader(source, static_cast<std::size_t>(file->Size()));
    impex.Load(reader);
    if (impex.badFormat) return {{}, kShortcutFileBadFormat, {}};
    if (reader.Remaining() > kMostBytesAfterShortcuts) {
      return {{}, kShortcutFileArchiveError, std::to_string(reader.Remaining()) + " bytes after the shortcuts"};
    }
    return {std::move(impex.shortcuts), {}, {}};
  } catch (const ArchiveError&) {
    if (!source.Failure().empty()) return {{}, kShortcutFileFileError, source.Failure()};
    return {{}, kShortcutFileArchiveError, {}};
  } catch (const std::bad_alloc&) {
    return {{}, kShortcutFileMemoryError, SystemReason(ENOMEM)};
  }
}

ShortcutFileSave SaveShortcutFile(const std::string& path, const ShortCutList& shortcuts) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ShortcutFileBytes(shortcuts);
  } catch (const std::bad_alloc&) {
    return {kShortcutFileMemoryError, SystemReason(ENOMEM)};
  }
  // Like a project: the old table stays whole until the new one is complete.
  const AtomicWriteResult written = WriteFileAtomically(path, bytes);
  if (written) {
    std::string linkProblem;
    RemoveStaleSaveTemporaries(FollowLinks(path, linkProblem).value_or(path));
    return {};
  }
  return {written.started ? kShortcutFileFileError : kShortcutFileCantOpen, written.reason};
}

ShortCutList LoadShortcutFileOrDefault(const std::string& path, const ShortCutList& defaults, IUserInterface& ui) {
  ShortcutFileLoad loaded = LoadShortcutFile(path);
  if (loaded.Ok()) return std::move(loaded.shortcuts);
  ui.Warn(WithReason(loaded.error, loaded.reason), kWarningCaption);
  return defaults;
}

bool SaveShortcutFileOrWarn(const std::string& path, const ShortCutList& shortcuts, IUserInterface& ui) {
  const ShortcutFileSave saved = SaveShortcutFile(path, shortcuts);
  if (saved.Ok()) return true;
  ui.Warn(WithReason(saved.error, saved.reason), kWarningCaption);
  return false;
}

}  // namespace vantorelle
