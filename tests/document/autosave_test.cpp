// Recovery copies: when they are written, what they hold, the offer after a
// crash, and the copies that are damaged or not ours to offer.
#include "document/autosave.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "document/headless_views.h"
#include "document/project_file_format.h"
#include "document/project_storage.h"
#include "model/file_facts.h"
#include "support/document_fixture.h"
#include "support/project_document.h"
#include "support/file_bytes.h"
#include "support/hostile_files.h"
#include "support/temp_dir.h"
#include "timeline/view_services.h"

namespace vantorelle {
namespace {

using testing::FileBytes;
using testing::WriteBytes;

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FakeMovie;
using testing::TempDir;
using testing::ProjectDocument;
using testing::TestDocument;
namespace fs = std::filesystem;

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Every start is kept, so a restart of a running timer shows.
class CountingTimers : public ITimerService {
 public:
  void StartTimer(int id, int intervalMs) override {
    starts.push_back({id, intervalMs});
    running[id] = intervalMs;
  }
  void KillTimer(int id) override { running.erase(id); }
  bool IsRunning(int id) const { return running.count(id) != 0; }

  std::vector<std::pair<int, int>> starts;
  std::map<int, int> running;
};

class AutosaveTest : public ::testing::Test {
 protected:
  AutosaveTest() : folder_(dir_.File("cache/recovery")) {}

  // An edited project named projects/Film.vrp with two clips on the first track.
  void Edit(ProjectDocument& project, const std::string& path) {
    CSrc& movie = project.AddMovie(dir_.File("projects/media/a.avi"));
    project.Place(0, movie, 0.0, 2000.0);
    project.Place(0, movie, 5000.0, 1000.0);
    project.doc.SetProjectPath(path);
    project.doc.SetModified(true);
  }

  // The one recovery file in the folder, decoded.
  RecoveryFileContents OnlyCopy() {
    const auto names = FolderNames(folder_);
    EXPECT_EQ(names.size(), 1u);
    if (names.size() != 1) return {};
    const auto decoded = DecodeRecoveryFile(FileBytes(folder_ + "/" + names[0]));
    EXPECT_TRUE(decoded.has_value());
    return decoded.value_or(RecoveryFileContents{});
  }

  TempDir dir_;
  std::string folder_;
  CountingTimers timers_;
};

TEST(RecoveryFolder, OwnCacheThenXdgCacheHomeThenHome) {
  const auto lookup = [](std::map<std::string, std::string> values) -> EnvironmentLookup {
    return [values](const std::string& name) -> std::optional<std::string> {
      const auto found = values.find(name);
      return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
  };
  EXPECT_EQ(RecoveryFolderFor(lookup({{"HOME", "/home/ann"}})), "/home/ann/.cache/Vantorelle/recovery");
  EXPECT_EQ(RecoveryFolderFor(lookup({{"HOME", "/home/ann"}, {"XDG_CACHE_HOME", "/var/cache/ann"}})),
            "/var/cache/ann/Vantorelle/recovery");
  // An empty or relative cache home does not count.
  EXPECT_EQ(RecoveryFolderFor(lookup({{"HOME", "/home/ann"}, {"XDG_CACHE_HOME", ""}})),
            "/home/ann/.cache/Vantorelle/recovery");
  EXPECT_EQ(RecoveryFolderFor(lookup({{"HOME", "/home/ann"}, {"XDG_CACHE_HOME", "cache"}})),
            "/home/ann/.cache/Vantorelle/recovery");
  EXPECT_EQ(RecoveryFolderFor(lookup({{"HOME", "/home/ann"}, {"XDG_CACHE_HOME", "/c"}, {"VANTORELLE_CACHE_DIR", "/t/v"}})),
            "/t/v/recovery");
  EXPECT_EQ(RecoveryFolderFor(lookup({})), "");
  EXPECT_EQ(RecoveryFolderFor(lookup({{"HOME", ""}})), "");
}

TEST(RecoveryFileFormat, RoundTripsAndRefusesEveryDamage) {
  ProjectFileContents project;
  project.tracks.resize(2);
  project.tracks[1].name = "Voice";
  const RecoveryFileContents contents{WriteProjectFile(project), "/films/Ä film.vrp"};
  const auto bytes = EncodeRecoveryFile(contents);

  const auto decoded = DecodeRecoveryFile(bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->project, contents.project);
  EXPECT_EQ(decoded->originalPath, contents.originalPath);
  // The project reader takes the file as it is.
  const auto read = ReadProjectFile(bytes);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.contents.tracks.at(1).name, "Voice");

  EXPECT_EQ(DecodeRecoveryFile(EncodeRecoveryFile({contents.project, ""}))->originalPath, "");
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_FALSE(DecodeRecoveryFile({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)})) << length;
  }
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    auto flipped = bytes;
    flipped[at] ^= 0x10;
    EXPECT_FALSE(DecodeRecoveryFile(flipped)) << at;
  }
  auto longer = bytes;
  longer.insert(longer.begin(), 0);
  EXPECT_FALSE(DecodeRecoveryFile(longer));
  // A sound trailer around bytes that are no project.
  EXPECT_FALSE(DecodeRecoveryFile(EncodeRecoveryFile({{1, 2, 3}, "/p.vrp"})));
}

TEST_F(AutosaveTest, AnEditStartsTheMinuteOnceAndTheTickWritesTheCopy) {
  ProjectDocument project;
  ProjectAutosave autosave(project.doc, timers_, folder_);
  Edit(project, dir_.File("projects/Film.vrp"));

  autosave.OnDocumentChanged();
  autosave.OnDocumentChanged();
  autosave.OnDocumentChanged();
  EXPECT_THAT(timers_.starts, ElementsAre(std::pair{kAutosaveTimerId, 60000}));
  EXPECT_THAT(FolderNames(folder_), IsEmpty());
  autosave.OnTimer(kAutosaveTimerId + 1);
  EXPECT_THAT(FolderNames(folder_), IsEmpty());

  autosave.OnTimer(kAutosaveTimerId);
  EXPECT_FALSE(timers_.IsRunning(kAutosaveTimerId));
  EXPECT_THAT(FolderNames(folder_), ElementsAre(fs::path(autosave.RecoveryFile()).filename().string()));
  const RecoveryFileContents copy = OnlyCopy();
  EXPECT_EQ(copy.originalPath, dir_.File("projects/Film.vrp"));
  const auto read = ReadProjectFile(copy.project);
  ASSERT_TRUE(read.ok);
  ASSERT_EQ(read.contents.clips.size(), 2u);
  EXPECT_EQ(read.contents.clips[1].start, 5000.0);
  // Opened from the recovery folder, a path relative to the project would
  // point into that folder.
  EXPECT_EQ(read.contents.sources.at(0).storedPath, dir_.File("projects/media/a.avi"));
  // Writing a copy is no save.
  EXPECT_TRUE(project.doc.IsModified());
  // Others may not read what the person has been working on.
  EXPECT_EQ(fs::status(folder_).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
}

TEST_F(AutosaveTest, NoCopyWithoutAChangeSinceTheLastOne) {
  ProjectDocument project;
  ProjectAutosave autosave(project.doc, timers_, folder_);
  Edit(project, dir_.File("projects/Film.vrp"));
  autosave.OnDocumentChanged();
  autosave.OnTimer(kAutosaveTimerId);
  // Stand-in bytes show whether the copy is written again.
  const std::vector<std::uint8_t> marker{'m', 'a', 'r', 'k'};
  WriteBytes(autosave.RecoveryFile(), marker);

  autosave.OnTimer(kAutosaveTimerId);  // a stray tick, no edit since
  EXPECT_EQ(FileBytes(autosave.RecoveryFile()), marker);
  autosave.OnDocumentChanged();  // an edit that changed nothing written
  EXPECT_EQ(timers_.starts.size(), 2u);
  autosave.OnTimer(kAutosaveTimerId);
  EXPECT_EQ(FileBytes(autosave.RecoveryFile()), marker);

  project.Place(1, *project.doc.sources[0], 100.0, 300.0);
  autosave.OnDocumentChanged();
  autosave.OnTimer(kAutosaveTimerId);
  const auto read = ReadProjectFile(OnlyCopy().project);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.contents.clips.size(), 3u);
}

TEST_F(AutosaveTest, ASavedProjectHasNoCopy) {
  ProjectDocument project;
  ProjectAutosave autosave(project.doc, timers_, folder_);
  Edit(project, dir_.File("projects/Film.vrp"));
  autosave.OnDocumentChanged();
  autosave.OnTimer(kAutosaveTimerId);
  ASSERT_TRUE(fs::exists(autosave.RecoveryFile()));

  ASSERT_TRUE(SaveProjectFile(project.doc, dir_.File("projects/Film.vrp")));
  autosave.OnSaved();
  EXPECT_THAT(FolderNames(folder_), IsEmpty());

  // A tick that finds the project unmodified writes nothing and drops an
  // older copy too.
  project.Place(1, *project.doc.sources[0], 100.0, 300.0);
  project.doc.SetModified(true);
  autosave.OnDocumentChanged();
  autosave.OnTimer(kAutosaveTimerId);
  ASSERT_TRUE(fs::exists(autosave.RecoveryFile()));
  autosave.OnDocumentChanged();
  project.doc.SetModified(false);
  autosave.OnTimer(kAutosaveTimerId);
  EXPECT_THAT(FolderNames(folder_), IsEmpty());
  EXPECT_FALSE(timers_.IsRunning(kAutosaveTimerId));
}

TEST_F(AutosaveTest, ACleanCloseRemovesTheCopyAndStopsTheTimer) {
  ProjectDocument project;
  ProjectAutosave autosave(project.doc, timers_, folder_);
  Edit(project, dir_.File("projects/Film.vrp"));
  autosave.OnDocumentChanged();
  autosave.OnTimer(kAutosaveTimerId);
  autosave.OnDocumentChanged();
  ASSERT_TRUE(timers_.IsRunning(kAutosaveTimerId));

  autosave.OnCleanClose();
  EXPECT_FALSE(timers_.IsRunning(kAutosaveTimerId));
  EXPECT_THAT(FolderNames(folder_), IsEmpty());
}

TEST_F(AutosaveTest, ACopyCutShortLeavesThePreviousCopyWhole) {
  ProjectDocument project;
  ProjectAutosave autosave(project.doc, timers_, folder_);
  Edit(project, dir_.File("projects/Film.vrp"));
  autosave.OnDocumentChanged();
  autosave.OnTimer(kAutosaveTimerId);
  const auto previous = FileBytes(autosave.RecoveryFile());
  ASSERT_FALSE(previous.empty());

  for (int i = 0; i < 50; ++i) project.Place(1, *project.doc.sources[0], 100.0 * i, 50.0);
  autosave.OnDocumentChanged();
  // The tick runs in a child whose files may not grow past half the old
  // copy, so the new one is cut off in the middle of its bytes.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{previous.size() / 2, previous.size() / 2};
    setrlimit(RLIMIT_FSIZE, &limit);
    autosave.OnTimer(kAutosaveTimerId);
    // The timer stays on to try again.
    _exit(timers_.IsRunning(kAutosaveTimerId) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(FileBytes(autosave.RecoveryFile()), previous);
  EXPECT_THAT(FolderNames(folder_), ElementsAre(fs::path(autosave.RecoveryFile()).filename().string()));

  // Here the limit does not hold: the retry goes through.
  autosave.OnTimer(kAutosaveTimerId);
  const auto read = ReadProjectFile(OnlyCopy().project);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.contents.clips.size(), 52u);
}

TEST_F(AutosaveTest, TheNextStartOffersTheCopyAndYesRestoresIt) {
  const std::string path = dir_.File("projects/Film.vrp");
  {
    ProjectDocument crashed;
    ProjectAutosave autosave(crashed.doc, timers_, folder_);
    Edit(crashed, path);
    autosave.OnDocumentChanged();
    autosave.OnTimer(kAutosaveTimerId);
    // Gone without a clean close.
  }
  ProjectDocument next;
  ProjectAutosave autosave(next.doc, timers_, folder_);
  const auto found = autosave.FindRecovery();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->originalPath, path);

  next.ui.messageAnswers.push_back(MessageAnswer::Yes);
  EXPECT_TRUE(autosave.OfferRecovery(next.ui));
  ASSERT_EQ(next.ui.messages.size(), 1u);
  EXPECT_EQ(next.ui.messages[0].text, "Recover unsaved changes of Film.vrp?");
  EXPECT_EQ(next.ui.messages[0].icon, MessageIcon::Question);
  EXPECT_EQ(next.ui.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_THAT(next.Starts(0), ElementsAre(0.0, 5000.0));
  ASSERT_EQ(next.doc.sources.size(), 1u);
  EXPECT_EQ(next.doc.sources[0]->path, dir_.File("projects/media/a.avi"));
  EXPECT_EQ(next.doc.ProjectPath(), path);
  EXPECT_TRUE(next.doc.IsModified());

  // The changes are still unsaved, so they stay under this session's copy.
  EXPECT_THAT(FolderNames(folder_), ElementsAre(fs::path(autosave.RecoveryFile()).filename().string()));
  EXPECT_FALSE(autosave.FindRecovery());
  EXPECT_EQ(OnlyCopy().originalPath, path);
}

TEST_F(AutosaveTest, AnUntitledCopyIsOfferedAsUntitledAndNoDeletesIt) {
  {
    ProjectDocument crashed;
    ProjectAutosave autosave(crashed.doc, timers_, folder_);
    Edit(crashed, "");
    autosave.OnDocumentChanged();
    autosave.OnTimer(kAutosaveTimerId);
  }
  ProjectDocument next;
  ProjectAutosave autosave(next.doc, timers_, folder_);
  next.ui.messageAnswers.push_back(MessageAnswer::No);
  EXPECT_FALSE(autosave.OfferRecovery(next.ui));
  EXPECT_THAT(next.ui.MessageTexts(), ElementsAre("Recover unsaved changes of Untitled?"));
  EXPECT_THAT(FolderNames(folder_), IsEmpty());
  EXPECT_THAT(next.Starts(0), IsEmpty());
  EXPECT_FALSE(next.doc.IsModified());
}

TEST_F(AutosaveTest, YesOnAnUntitledCopyKeepsItUntitled) {
  {
    ProjectDocument crashed;
    ProjectAutosave autosave(crashed.doc, timers_, folder_);
    Edit(crashed, "");
    autosave.OnDocumentChanged();
    autosave.OnTimer(kAutosaveTimerId);
  }
  ProjectDocument next;
  ProjectAutosave autosave(next.doc, timers_, folder_);
  EXPECT_TRUE(autosave.OfferRecovery(next.ui));  // answered Yes
  EXPECT_EQ(next.doc.ProjectPath(), "");
  EXPECT_TRUE(next.doc.IsModified());
  EXPECT_THAT(next.Starts(0), ElementsAre(0.0, 5000.0));
}

TEST_F(AutosaveTest, DamagedCopiesTemporariesAndTheOwnCopyAreNotOffered) {
  ProjectDocument project;
  ProjectAutosave autosave(project.doc, timers_, folder_);
  Edit(project, dir_.File("projects/Film.vrp"));
  autosave.OnDocumentChanged();
  autosave.OnTimer(kAutosaveTimerId);
  const auto whole = FileBytes(autosave.RecoveryFile());
  EXPECT_FALSE(autosave.FindRecovery());  // the session's own copy

  WriteBytes(folder_ + "/recovery-1-1.vrr", {whole.begin(), whole.begin() + whole.size() / 2});
  WriteBytes(folder_ + "/recovery-2-2.vrr", {});
  auto flipped = whole;
  flipped[10] ^= 1;
  WriteBytes(folder_ + "/recovery-3-3.vrr", flipped);
  WriteBytes(folder_ + "/.recovery-4-4.vrr.saving-123", whole);
  WriteBytes(folder_ + "/notes.vrr", whole);
  ProjectDocument next;
  ProjectAutosave other(next.doc, timers_, folder_);
  // Only the first session's copy is whole.
  const auto found = other.FindRecovery();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->file, autosave.RecoveryFile());
  fs::remove(autosave.RecoveryFile());
  EXPECT_FALSE(other.FindRecovery());
  EXPECT_FALSE(other.OfferRecovery(next.ui));
  EXPECT_THAT(next.ui.messages, IsEmpty());
}

TEST_F(AutosaveTest, StrangersInTheFolderAreNeitherReadWholeNorWaitedOn) {
  ProjectDocument project;
  ProjectAutosave autosave(project.doc, timers_, folder_);
  Edit(project, dir_.File("projects/Film.vrp"));
  autosave.OnDocumentChanged();
  autosave.OnTimer(kAutosaveTimerId);
  // Named like copies: a large file of something else, a pipe, a folder.
  testing::MakeSparseFile(folder_ + "/recovery-5-5.vrr", 512ull << 20, {'n', 'o', 't'});
  const std::string pipe = folder_ + "/recovery-6-6.vrr";
  testing::MakeFifo(pipe);
  fs::create_directories(folder_ + "/recovery-7-7.vrr");
  ProjectDocument next;
  ProjectAutosave other(next.doc, timers_, folder_);
  // The pipe is watched from inside the child: a process forked while the
  // watching thread runs can hang on a lock that thread held.
  const std::uint64_t grown = testing::PeakMemoryGrowthOf([&] {
    bool released = false;
    {
      testing::PipeWatch watch(pipe);
      const auto found = other.FindRecovery();
      if (!found || found->file != autosave.RecoveryFile()) ::_exit(3);
      released = watch.HadToRelease();
    }
    if (released) ::_exit(4);  // the search waited on the pipe
  });
  EXPECT_LT(grown, 16u << 20) << "the search failed, waited on the pipe or read a stranger whole";
}

TEST_F(AutosaveTest, TheNewestOfSeveralCopiesIsOffered) {
  ProjectFileContents project;
  project.tracks.resize(1);
  fs::create_directories(folder_);
  const auto now = fs::file_time_type::clock::now();
  int n = 0;
  for (const char* original : {"/a/Old.vrp", "/a/Newest.vrp", "/a/Middle.vrp"}) {
    const std::string file = folder_ + "/recovery-9-" + std::to_string(n) + ".vrr";
    WriteBytes(file, EncodeRecoveryFile({WriteProjectFile(project), original}));
    const int age = std::string(original) == "/a/Newest.vrp" ? 0 : std::string(original) == "/a/Middle.vrp" ? 60 : 120;
    fs::last_write_time(file, now - std::chrono::seconds(age));
    ++n;
  }
  ProjectDocument next;
  ProjectAutosave autosave(next.doc, timers_, folder_);
  const auto found = autosave.FindRecovery();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->originalPath, "/a/Newest.vrp");
}

TEST_F(AutosaveTest, WithoutAFolderNothingIsWrittenOrOffered) {
  ProjectDocument project;
  ProjectAutosave autosave(project.doc, timers_, "");
  Edit(project, dir_.File("projects/Film.vrp"));
  autosave.OnDocumentChanged();
  autosave.OnTimer(kAutosaveTimerId);
  EXPECT_THAT(timers_.starts, IsEmpty());
  EXPECT_FALSE(autosave.FindRecovery());
  EXPECT_FALSE(autosave.OfferRecovery(project.ui));
}

}  // namespace
}  // namespace vantorelle
