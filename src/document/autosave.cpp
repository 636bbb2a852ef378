#include "document/autosave.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "document/atomic_file.h"
#include "document/checksum.h"
#include "document/project_file_format.h"
#include "document/project_storage.h"
#include "document/save_temporaries.h"
#include "document/vantorelle_doc.h"
#include "model/regular_file.h"
#include "model/source_paths.h"
#include "model/user_interface.h"
#include "timeline/view_services.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;

constexpr char kMark[] = "VRRECOV1";
constexpr std::size_t kMarkBytes = 8;
constexpr std::size_t kTrailerBytes = 4 + 8 + 4 + kMarkBytes;  // after the path
constexpr const char* kRecoverCaption = "Recover project";
constexpr const char* kUntitled = "Untitled";

std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
  return hash;
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t GetLittleEndian(const std::uint8_t* at, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(at[i]) << (8 * i);
  return value;
}

// The bytes of what may be a recovery file. Only a regular file is opened,
// and its body is read only after its trailer proved it one of ours whose
// lengths fit the file: a stranger in the folder costs a few bytes.
std::optional<std::vector<std::uint8_t>> ReadRecoveryFileBytes(const fs::path& path) {
  // Far beyond any project's copy; the check runs over the bytes in memory.
  constexpr std::uint64_t kMostRecoveryBytes = 1ull << 30;
  std::string reason;
  std::optional<RegularFile> file = RegularFile::Open(path.string(), reason);
  if (!file || file->Size() < kTrailerBytes || file->Size() > kMostRecoveryBytes) return std::nullopt;
  std::array<std::uint8_t, kTrailerBytes> trailer{};
  if (!file->ReadAt(file->Size() - kTrailerBytes, trailer.data(), trailer.size(), reason)) return std::nullopt;
  if (!std::equal(kMark, kMark + kMarkBytes, trailer.data() + 16)) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file->Size()));
  if (!file->Read(bytes.data(), bytes.size(), reason)) return std::nullopt;
  return bytes;
}

bool IsRecoveryFileName(const std::string& name) {
  constexpr std::string_view prefix = "recovery-";
  constexpr std::string_view suffix = ".vrr";
  return name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string OwnFileName(const std::string& folder) {
  if (folder.empty()) return {};
  std::random_device entropy;
  // The process id keeps two editors running side by side apart; the number
  // keeps this session apart from a crashed one that had the same id.
  return (fs::path(folder) / ("recovery-" + std::to_string(::getpid()) + "-" + std::to_string(entropy()) + ".vrr"))
      .string();
}

void RemoveFileAndTemporaries(const std::string& path) {
  std::error_code error;
  fs::remove(path, error);
  RemoveStaleSaveTemporaries(path);
}

}  // namespace

EnvironmentLookup ProcessEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
  };
}

std::string EditorCacheFolderFor(const EnvironmentLookup& environment) {
  const auto nonEmpty = [&](const char* name) {
    std::optional<std::string> value = environment(name);
    return value && !value->empty() ? value : std::nullopt;
  };
  if (const auto own = nonEmpty("VANTORELLE_CACHE_DIR")) return fs::path(*own).string();
  // A relative cache home is invalid and is to be ignored.
  if (const auto cache = nonEmpty("XDG_CACHE_HOME"); cache && fs::path(*cache).is_absolute()) {
    return (fs::path(*cache) / "Vantorelle").string();
  }
  if (const auto home = nonEmpty("HOME")) return (fs::path(*home) / ".cache" / "Vantorelle").string();
  return {};
}

std::string RecoveryFolderFor(const EnvironmentLookup& environment) {
  const std::string cache = EditorCacheFolderFor(environment);
  return cache.empty() ? cache : (fs::path(cache) / "recovery").string();
}

std::vector<std::uint8_t> EncodeRecoveryFile(const RecoveryFileContents& contents) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(contents.project.size() + contents.originalPath.size() + kTrailerBytes);
  bytes.insert(bytes.end(), contents.project.begin(), contents.project.end());
  bytes.insert(bytes.end(), contents.originalPath.begin(), contents.originalPath.end());
  PutLittleEndian(bytes, contents.originalPath.size(), 4);
  PutLittleEndian(bytes, contents.project.size(), 8);
  PutLittleEndian(bytes, Crc32(bytes.data(), bytes.size()), 4);
  bytes.insert(bytes.end(), kMark, kMark + kMarkBytes);
  return bytes;
}

std::optional<RecoveryFileContents> DecodeRecoveryFile(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < kTrailerBytes) return std::nullopt;
  const std::uint8_t* trailer = bytes.data() + bytes.size() - kTrailerBytes;
  if (!std::equal(kMark, kMark + kMarkBytes, trailer + 16)) return std::nullopt;
  const std::uint64_t pathBytes = GetLittleEndian(trailer, 4);
  const std::uint64_t projectBytes = GetLittleEndian(trailer + 4, 8);
  const std::uint64_t body = bytes.size() - kTrailerBytes;
  // Compared without adding, so no length can wrap round to a fit.
  if (pathBytes > body || projectBytes != body - pathBytes) return std::nullopt;
  if (Crc32(bytes.data(), bytes.size() - 4 - kMarkBytes) != GetLittleEndian(trailer + 12, 4)) return std::nullopt;
  RecoveryFileContents contents;
  contents.project.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(projectBytes));
  contents.originalPath.assign(bytes.begin() + static_cast<std::ptrdiff_t>(projectBytes),
                               bytes.begin() + static_cast<std::ptrdiff_t>(body));
  if (!ReadProjectFile(contents.project).ok) return std::nullopt;
  return contents;
}

ProjectAutosave::ProjectAutosave(CVantorelleDoc& doc, ITimerService& timers, std::string recoveryFolder)
    : doc_(doc), timers_(timers), folder_(std::move(recoveryFolder)), ownFile_(OwnFileName(folder_)) {}

void ProjectAutosave::OnDocumentChanged() {
  if (folder_.empty()) return;
  changedSinceCopy_ = true;
  if (timerRunning_) return;
  timers_.StartTimer(kAutosaveTimerId, kAutosaveIntervalMs);
  timerRunning_ = true;
}

void ProjectAutosave::OnTimer(int id) {
  if (id != kAutosaveTimerId || !timerRunning_) return;
  if (!doc_.IsModified()) {
    // Saved (or otherwise settled) without word to us: nothing to recover.
    timers_.KillTimer(kAutosaveTimerId);
    timerRunning_ = false;
    changedSinceCopy_ = false;
    RemoveCopy();
    return;
  }
  // A copy that could not be written is tried again a minute later.
  if (changedSinceCopy_ && WriteCopy() == CopyResult::Failed) return;
  timers_.KillTimer(kAutosaveTimerId);
  timerRunning_ = false;
  changedSinceCopy_ = false;
}

void ProjectAutosave::OnSaved() {
  if (timerRunning_) timers_.KillTimer(kAutosaveTimerId);
  timerRunning_ = false;
  changedSinceCopy_ = false;
  RemoveCopy();
}

void ProjectAutosave::OnCleanClose() { OnSaved(); }

ProjectAutosave::CopyResult ProjectAutosave::WriteCopy() {
  if (ownFile_.empty()) return CopyResult::Failed;
  ProjectFileContents contents;
  if (!CollectProjectContents(doc_, contents)) return CopyResult::Failed;
  // The copy is opened from the recovery folder, where paths relative to
  // the project's folder would point nowhere.
  for (ProjectSourceRecord& source : contents.sources) source.storedPath = source.fullPath;
  const std::vector<std::uint8_t> bytes = EncodeRecoveryFile({WriteProjectFile(contents), doc_.ProjectPath()});
  const std::uint64_t hash = Fnv1a(bytes);
  std::error_code error;
  if (lastCopyHash_ == hash && fs::exists(ownFile_, error)) return CopyResult::Unchanged;
  // The copies name the person's files and folders: theirs alone to read.
  if (fs::create_directories(folder_, error)) fs::permissions(folder_, fs::perms::owner_all, error);
  if (!WriteFileAtomically(ownFile_, bytes)) return CopyResult::Failed;
  lastCopyHash_ = hash;
  RemoveStaleSaveTemporaries(ownFile_);
  return CopyResult::Written;
}

void ProjectAutosave::RemoveCopy() {
  lastCopyHash_.reset();
  if (!ownFile_.empty()) RemoveFileAndTemporaries(ownFile_);
}

std::optional<RecoveryCandidate> ProjectAutosave::FindRecovery() const {
  if (folder_.empty()) return std::nullopt;
  std::error_code error;
  fs::directory_iterator entries(folder_, error);
  if (error) return std::nullopt;
  std::optional<RecoveryCandidate> newest;
  fs::file_time_type newestTime{};
  const std::string ownName = fs::path(ownFile_).filename().string();
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    // Temporaries start with a dot and never pass this test.
    if (!IsRecoveryFileName(name) || name == ownName || !entry.is_regular_file(error)) continue;
    const fs::file_time_type time = entry.last_write_time(error);
    if (error) continue;
    if (newest && (time < newestTime || (time == newestTime && entry.path().string() < newest->file))) continue;
    const auto bytes = ReadRecoveryFileBytes(entry.path());
    if (!bytes) continue;
    auto contents = DecodeRecoveryFile(*bytes);
    if (!contents) continue;
    newest = RecoveryCandidate{entry.path().string(), std::move(contents->originalPath)};
    newestTime = time;
  }
  return newest;
}

bool ProjectAutosave::OfferRecovery(IUserInterface& ui) {
  const auto found = FindRecovery();
  if (!found) return false;
  const std::string name = found->originalPath.empty() ? kUntitled : FileNameOf(found->originalPath);
  const MessageAnswer answer = ui.ShowMessage("Recover unsaved changes of " + name + "?", kRecoverCaption,
                                              MessageIcon::Question, MessageButtons::YesNo);
  if (answer != MessageAnswer::Yes) {
    RemoveFileAndTemporaries(found->file);
    return false;
  }
  // A copy that would not open stays for a later start.
  if (OpenProjectFile(doc_, found->file) != ProjectOpenOutcome::Opened) return false;
  doc_.SetProjectPath(found->originalPath);
  doc_.SetModified(true);
  // The recovered changes are still unsaved; the old copy goes only once
  // this session's own copy holds them.
  changedSinceCopy_ = false;
  if (WriteCopy() == CopyResult::Written) RemoveFileAndTemporaries(found->file);
  return true;
}

}  // namespace vantorelle
