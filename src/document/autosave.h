// Recovery copies of a project with unsaved changes, and the offer to take
// one back after the editor went down without closing.
//
// While the document holds unsaved changes a copy of it is written, through
// a temporary file and a rename, into the recovery folder: at most once a
// minute, counted from the first edit after the last copy, and only when
// the project changed since that copy. A successful save and a clean close
// remove the copy, so whatever lies in the folder at start-up is what a
// crash left behind.
//
// A recovery file ("recovery-<pid>-<number>.vrr") is the project file's
// bytes followed by a trailer; the project reader stops after the clips, so
// the file opens as a project as it is:
//
//   project bytes      N bytes, as a project file
//   original path      L bytes, UTF-8; empty for an untitled project
//   L                  u32, little endian
//   N                  u64, little endian
//   check              u32, CRC-32 (IEEE) of everything before it
//   mark               8 bytes "VRRECOV1"
//
// A file whose mark, lengths or check do not agree, or whose project bytes
// do not read as a project, is no recovery file and is passed over.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantorelle {

class CVantorelleDoc;
class ITimerService;
class IUserInterface;

inline constexpr int kAutosaveTimerId = 0x5A5E;
inline constexpr int kAutosaveIntervalMs = 60 * 1000;

// The value of an environment variable, or none when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;
EnvironmentLookup ProcessEnvironment();

// The editor's cache folder: $VANTORELLE_CACHE_DIR when that is set (for
// tests), else $XDG_CACHE_HOME/Vantorelle, else $HOME/.cache/Vantorelle. An
// XDG_CACHE_HOME that is empty or not absolute does not count. Empty when
// there is no home either.
std::string EditorCacheFolderFor(const EnvironmentLookup& environment);
// "recovery" in the editor's cache folder; empty without one: no copies.
std::string RecoveryFolderFor(const EnvironmentLookup& environment);

struct RecoveryFileContents {
  std::vector<std::uint8_t> project;
  std::string originalPath;
};
std::vector<std::uint8_t> EncodeRecoveryFile(const RecoveryFileContents& contents);
std::optional<RecoveryFileContents> DecodeRecoveryFile(const std::vector<std::uint8_t>& bytes);

struct RecoveryCandidate {
  std::string file;          // the recovery file itself
  std::string originalPath;  // the project it was a copy of; empty for untitled
};

class ProjectAutosave {
 public:
  // The document, timers and folder outlive this. An empty folder turns the
  // copies off.
  ProjectAutosave(CVantorelleDoc& doc, ITimerService& timers, std::string recoveryFolder);
  ProjectAutosave(const ProjectAutosave&) = delete;
  ProjectAutosave& operator=(const ProjectAutosave&) = delete;

  // After every edit. Starts the minute unless it already runs, so steady
  // editing cannot put the copy off.
  void OnDocumentChanged();
  // Timers of other ids are left alone.
  void OnTimer(int id);
  // After a successful save, and when the project is left without a crash.
  void OnSaved();
  void OnCleanClose();

  // The newest recovery file in the folder that reads whole, other than
  // this session's own copy.
  std::optional<RecoveryCandidate> FindRecovery() const;
  // Asks "Recover unsaved changes of <name>?". Yes opens the copy into the
  // document, gives it back its original path and marks it modified (true
  // once that succeeded); the copy then lives on as this session's own
  // until a save. No deletes the copy.
  bool OfferRecovery(IUserInterface& ui);

  // This session's copy, whether or not it exists yet.
  const std::string& RecoveryFile() const { return ownFile_; }

 private:
  enum class CopyResult { Written, Unchanged, Failed };
  CopyResult WriteCopy();
  void RemoveCopy();

  CVantorelleDoc& doc_;
  ITimerService& timers_;
  std::string folder_;
  std::string ownFile_;
  bool timerRunning_ = false;
  bool changedSinceCopy_ = false;
  std::optional<std::uint64_t> lastCopyHash_;  // of the file bytes last written
};

}  // namespace vantorelle
