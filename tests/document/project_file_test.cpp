// Project files: the byte layout, saving and opening again, sources that
// moved, changed or went missing, and damaged files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "document/headless_views.h"
#include "document/project_file_format.h"
#include "document/project_storage.h"
#include "model/file_facts.h"
#include "support/document_fixture.h"
#include "support/project_document.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

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

std::int32_t I32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::int32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                                   static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

class ProjectFileTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST(ProjectFileLayout, SettingsBlockThenTracksAndANothingAfterAnEmptyClipList) {
  ProjectFileContents contents;
  contents.settings.snapshotsType = 0x0201;
  contents.settings.workAreaStop = 14000.0;
  contents.settings.workAreaStart = 11000.0;
  contents.settings.dirViewFilterIndex = 7;
  ProjectTrackRecord track;
  track.name = std::string(255, 'n');
  contents.tracks.push_back(track);
  const auto bytes = WriteProjectFile(contents);

  EXPECT_EQ(I32At(bytes, 0), 1);  // the format word
  EXPECT_EQ(bytes[4] | bytes[5] << 8, 0x0201);
  // Work area stop is written before its start.
  double stop = 0.0;
  std::memcpy(&stop, &bytes[6 + 3 * 8], 8);
  EXPECT_EQ(stop, 14000.0);
  EXPECT_EQ(I32At(bytes, kProjectSettingsBlockBytes - 4), 7);
  EXPECT_EQ(I32At(bytes, kProjectSettingsBlockBytes), 1);  // track count
  // A 255-character name takes the two-byte length form.
  const std::size_t name = kProjectSettingsBlockBytes + 4 + 12;
  EXPECT_EQ(bytes[name], 0xFF);
  EXPECT_EQ(bytes[name + 1], 0xFF);
  EXPECT_EQ(bytes[name + 2], 0x00);

  const std::size_t trackBytes = 77 + 2 + 255;
  const std::size_t layoutBytes = 16 + 16 + 4 + 60;
  ASSERT_EQ(bytes.size(), kProjectSettingsBlockBytes + 4 + trackBytes + layoutBytes + 4 * 4);
  EXPECT_EQ(I32At(bytes, bytes.size() - 4), 0);  // no clips, and nothing after them

  const auto read = ReadProjectFile(bytes);
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.contents.tracks.at(0).name, track.name);
  EXPECT_EQ(read.contents.settings.workAreaStart, 11000.0);
}

TEST(ProjectFileLayout, DamagedStreamsAreRefusedWithoutHugeAllocations) {
  ProjectFileContents contents;
  contents.tracks.resize(2);
  contents.clips.resize(1);
  contents.clips[0].linkedNumbers = {2, 3};
  const auto bytes = WriteProjectFile(contents);
  ASSERT_TRUE(ReadProjectFile(bytes).ok);

  // Every cut short stream fails, and in the section where it was cut.
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    const auto read = ReadProjectFile({bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)});
    EXPECT_FALSE(read.ok) << length;
  }
  const auto cutInClips = ReadProjectFile({bytes.begin(), bytes.end() - 3});
  EXPECT_EQ(cutInClips.error.section, ProjectFileSection::Clips);

  // A track count of 0 and counts far beyond the data are refused.
  auto noTracks = bytes;
  std::memset(&noTracks[kProjectSettingsBlockBytes], 0, 4);
  EXPECT_FALSE(ReadProjectFile(noTracks).ok);
  auto hugeCount = bytes;
  std::memset(&hugeCount[kProjectSettingsBlockBytes], 0x7F, 4);
  EXPECT_EQ(ReadProjectFile(hugeCount).error.section, ProjectFileSection::Tracks);
}

TEST(ProjectFilePaths, RelativeOnlyBelowTheProjectFolder) {
  EXPECT_EQ(MakeRelativePath("/work/show/media/a.avi", "/work/show"), "media/a.avi");
  EXPECT_EQ(MakeRelativePath("/WORK/Show/a.avi", "/work/show"), "/WORK/Show/a.avi");
  EXPECT_EQ(MakeRelativePath("/work/other/a.avi", "/work/show"), "/work/other/a.avi");
  // A sibling folder whose name starts like the project folder is not below it.
  EXPECT_EQ(MakeRelativePath("/work/show2/a.avi", "/work/show"), "/work/show2/a.avi");
  EXPECT_EQ(MakeRelativePath("/work/show/", "/work/show"), "/work/show/");
}

TEST_F(ProjectFileTest, SaveAndOpenKeepEveryFieldAndRenumberClips) {
  const std::string path = dir_.File("show/project.vrp");
  ProjectDocument original;
  CSrc& a = original.AddMovie(dir_.File("show/media/a.avi"));
  CSrc& b = original.AddMovie(dir_.File("show/media/b.avi"));
  CFilm& first = original.Place(0, a, 0.0, 2000.0);
  CFilm& second = original.Place(0, b, 4000.0, 1000.0);
  CFilm& sound = original.Place(3, a, 0.0, 2000.0);
  CFilm::Link(first, sound);
  second.number = 77;
  second.selection = 1;
  sound.fadeIn = 120.0;
  sound.volume = 0.5;
  sound.useTrackFadeOut = 1;
  original.Track(3).name = "Voice";
  original.Track(3).volume = 0.25;
  original.doc.times.rangeStart = 1000.0;
  original.doc.times.rangeStop = 1000.5;  // half a millisecond is no range
  original.doc.times.timeMark = 640.0;
  original.doc.timeline.workArea = {2000.0, 9000.0};
  original.doc.preferences.snapshotsType = 0x0102;
  original.doc.preferences.repeatClipValue = 3;
  original.doc.windowLayout.mainWindow = {-4, -4, 1028, 772};
  original.doc.windowLayout.clipCollectionBar.fileViewerPaneWidth = 180;
  fs::create_directories(dir_.File("show/favourite"));
  original.doc.favouriteDirectories.push_back({dir_.File("show/favourite"), "Fav", 2});
  original.doc.SetModified(true);
  ASSERT_TRUE(SaveProjectFile(original.doc, path));
  EXPECT_FALSE(original.doc.IsModified());
  EXPECT_EQ(second.number, 2);

  const auto stored = ReadProjectFile(FileBytes(path));
  ASSERT_TRUE(stored.ok);
  EXPECT_EQ(stored.contents.sources.at(0).storedPath, "media/a.avi");
  ASSERT_EQ(stored.contents.clips.size(), 3u);
  EXPECT_EQ(stored.contents.clips[2].number, 3);
  EXPECT_THAT(stored.contents.clips[2].linkedNumbers, ElementsAre(1));

  ProjectDocument opened;
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  EXPECT_THAT(opened.ui.MessageTexts(), IsEmpty());
  ASSERT_EQ(opened.doc.sources.size(), 2u);
  EXPECT_EQ(opened.doc.sources[0]->path, a.path);
  EXPECT_EQ(opened.doc.sources[0]->usageCount, 2);
  EXPECT_EQ(opened.Starts(0), (std::vector<TimeMs>{0.0, 4000.0}));
  const CFilm& openedSound = *opened.Track(3).clips.at(0);
  EXPECT_EQ(openedSound.fadeIn, 120.0);
  EXPECT_EQ(openedSound.volume, 0.5);
  EXPECT_EQ(openedSound.useTrackFadeOut, 1);
  ASSERT_EQ(openedSound.links.size(), 1u);
  EXPECT_EQ(openedSound.links[0], opened.Track(0).clips[0].get());
  EXPECT_EQ(opened.Track(0).clips[1]->selection, 1);
  EXPECT_EQ(opened.Track(3).name, "Voice");
  EXPECT_EQ(opened.Track(3).volume, 0.25);
  EXPECT_FALSE(opened.doc.times.RangePresent());
  EXPECT_EQ(opened.doc.times.timeMark, 640.0);
  EXPECT_EQ(opened.doc.timeline.workArea.start, 2000.0);
  EXPECT_EQ(opened.doc.timeline.workArea.stop, 9000.0);
  EXPECT_EQ(opened.doc.preferences.snapshotsType, 0x0102);
  EXPECT_EQ(opened.doc.preferences.repeatClipValue, 3);
  EXPECT_EQ(opened.doc.windowLayout, original.doc.windowLayout);
  ASSERT_EQ(opened.doc.favouriteDirectories.size(), 1u);
  EXPECT_EQ(opened.doc.favouriteDirectories[0].name, "Fav");
  EXPECT_EQ(opened.doc.ProjectPath(), path);
  EXPECT_FALSE(opened.doc.IsModified());
  opened.ExpectConsistent(opened.Sources());

  // Saving the opened project again gives the same bytes.
  const std::string again = dir_.File("show/again.vrp");
  ASSERT_TRUE(SaveProjectFile(opened.doc, again));
  EXPECT_EQ(FileBytes(again), FileBytes(path));
}

TEST_F(ProjectFileTest, AMovedProjectFolderFindsItsSourcesThroughRelativePaths) {
  {
    ProjectDocument original;
    original.Place(0, original.AddMovie(dir_.File("old/media/a.avi")), 0.0, 1000.0);
    ASSERT_TRUE(SaveProjectFile(original.doc, dir_.File("old/p.vrp")));
  }
  fs::rename(dir_.File("old"), dir_.File("new"));
  ProjectDocument opened;
  opened.board.Config().movies[dir_.File("new/media/a.avi")] = FakeMovie{};
  ASSERT_EQ(OpenProjectFile(opened.doc, dir_.File("new/p.vrp")), ProjectOpenOutcome::Opened);
  EXPECT_THAT(opened.ui.missingSourceRequests, IsEmpty());
  ASSERT_EQ(opened.doc.sources.size(), 1u);
  EXPECT_EQ(opened.doc.sources[0]->path, dir_.File("new/media/a.avi"));
  EXPECT_EQ(opened.Track(0).clips.size(), 1u);
}

TEST_F(ProjectFileTest, MissingSourcesAreAskedForSkippedOrRelocated) {
  const std::string path = dir_.File("p.vrp");
  {
    ProjectDocument original;
    CSrc& a = original.AddMovie(dir_.File("a/one.avi"));
    CSrc& b = original.AddMovie(dir_.File("a/two.avi"));
    CSrc& c = original.AddMovie(dir_.File("a/three.avi"));
    CFilm& picture = original.Place(0, a, 0.0, 1000.0);
    CFilm& partner = original.Place(3, b, 0.0, 1000.0);
    CFilm::Link(picture, partner);
    original.Place(0, c, 2000.0, 1000.0);
    ASSERT_TRUE(SaveProjectFile(original.doc, path));
  }
  // All three files move away; one and three are found again in "b".
  fs::create_directories(dir_.File("b"));
  fs::rename(dir_.File("a/one.avi"), dir_.File("b/one.avi"));
  fs::rename(dir_.File("a/three.avi"), dir_.File("b/three.avi"));
  fs::remove(dir_.File("a/two.avi"));

  ProjectDocument opened;
  opened.board.Config().movies[dir_.File("b/one.avi")] = FakeMovie{};
  opened.board.Config().movies[dir_.File("b/three.avi")] = FakeMovie{};
  MissingSourceAnswer chooseOne{MissingSourceAnswer::Kind::FileChosen, dir_.File("b/one.avi"), dir_.File("b/")};
  MissingSourceAnswer skip{MissingSourceAnswer::Kind::Skip, {}, {}};
  MissingSourceAnswer chooseThree{MissingSourceAnswer::Kind::FileChosen, dir_.File("b/three.avi"), {}};
  opened.ui.missingSourceAnswers = {chooseOne, skip, chooseThree};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);

  ASSERT_EQ(opened.ui.missingSourceRequests.size(), 3u);
  EXPECT_EQ(opened.ui.missingSourceRequests[0].location, dir_.File("a/one.avi"));
  EXPECT_THAT(opened.ui.missingSourceRequests[0].candidates, IsEmpty());
  // The folder chosen for the first file is searched for the later ones.
  EXPECT_THAT(opened.ui.missingSourceRequests[2].candidates, ElementsAre(dir_.File("b/three.avi")));
  ASSERT_EQ(opened.doc.sources.size(), 3u);
  EXPECT_EQ(opened.doc.sources[0]->path, dir_.File("b/one.avi"));
  // The skipped file stays offline with its clip, still linked.
  EXPECT_TRUE(opened.doc.sources[1]->offline);
  EXPECT_EQ(opened.doc.sources[1]->path, dir_.File("a/two.avi"));
  EXPECT_EQ(opened.Track(3).clips.size(), 1u);
  EXPECT_EQ(opened.Track(0).clips.at(0)->links.size(), 1u);
  EXPECT_EQ(opened.Track(0).clips.size(), 2u);
  opened.ExpectConsistent(opened.Sources());
}

TEST_F(ProjectFileTest, SkipAllKeepsTheRestOfThisOpenOfflineWithoutAsking) {
  const std::string path = dir_.File("p.vrp");
  {
    ProjectDocument original;
    original.AddMovie(dir_.File("m/one.avi"));
    original.AddMovie(dir_.File("m/two.avi"));
    ASSERT_TRUE(SaveProjectFile(original.doc, path));
  }
  fs::remove_all(dir_.File("m"));
  ProjectDocument opened;
  opened.ui.missingSourceAnswers = {{MissingSourceAnswer::Kind::SkipAll, {}, {}}};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  EXPECT_EQ(opened.ui.missingSourceRequests.size(), 1u);
  ASSERT_EQ(opened.doc.sources.size(), 2u);
  EXPECT_TRUE(opened.doc.sources[0]->offline);
  EXPECT_TRUE(opened.doc.sources[1]->offline);
}

TEST_F(ProjectFileTest, AChangedSourceFileIsReportedAndReadAgain) {
  const std::string path = dir_.File("p.vrp");
  const std::string media = dir_.File("m/a.avi");
  {
    ProjectDocument original;
    original.AddMovie(media);
    ASSERT_TRUE(SaveProjectFile(original.doc, path));
  }
  utimbuf times{1796459400, 1796459400};
  ASSERT_EQ(utime(media.c_str(), &times), 0);
  ProjectDocument opened;
  FakeMovie longer;
  longer.streamFlags = KlpStream::JpegVideo;
  longer.videoDurationS = 12.0;
  opened.board.Config().movies[media] = longer;
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  EXPECT_THAT(opened.ui.MessageTexts(), ElementsAre("Source file " + media + " \n was modified.",
                                                    "Source file " + media + " \n has different parameters."));
  EXPECT_EQ(opened.ui.messages[0].caption, "Load Clip Collection");
  ASSERT_EQ(opened.doc.sources.size(), 1u);
  EXPECT_EQ(opened.doc.sources[0]->duration, 12000.0);
  EXPECT_EQ(opened.doc.sources[0]->modified, "05/12/2026 08:30:00");
}

TEST_F(ProjectFileTest, AnEmptyFileKeepsTheContentsUnderItsName) {
  const std::string path = dir_.WriteFile("empty.vrp", "");
  ProjectDocument project;
  project.Place(0, project.AddSource("/x/a.avi", 1000.0, SourceFlags::MovieFile | SourceFlags::VideoStream), 0.0,
                500.0);
  ASSERT_EQ(OpenProjectFile(project.doc, path), ProjectOpenOutcome::EmptyFile);
  EXPECT_EQ(project.Track(0).clips.size(), 1u);
  EXPECT_EQ(project.doc.ProjectPath(), path);
  EXPECT_THAT(project.ui.MessageTexts(), IsEmpty());
}

TEST_F(ProjectFileTest, ADamagedFileLeavesAnEmptyProjectUnderItsName) {
  const std::string path = dir_.File("p.vrp");
  {
    ProjectDocument original;
    original.Place(0, original.AddMovie(dir_.File("m/a.avi")), 0.0, 1000.0);
    ASSERT_TRUE(SaveProjectFile(original.doc, path));
  }
  auto bytes = FileBytes(path);
  bytes.resize(bytes.size() - 5);  // inside the last clip
  WriteBytes(path, bytes);

  ProjectDocument opened;
  opened.board.Config().movies[dir_.File("m/a.avi")] = FakeMovie{};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Failed);
  EXPECT_THAT(opened.ui.MessageTexts(), ElementsAre("Data error.", "Can't restore saved project"));
  EXPECT_EQ(opened.ui.messages[0].caption, "Open Project");
  EXPECT_EQ(opened.ui.messages[1].caption, "Restore project");
  EXPECT_EQ(opened.ui.messages[1].icon, MessageIcon::Error);
  EXPECT_THAT(opened.doc.sources, IsEmpty());
  EXPECT_EQ(opened.doc.timeline.tracks.size(), 6u);  // the default tracks
  // The empty project is not the damaged file: Save must ask for a name.
  EXPECT_EQ(opened.doc.ProjectPath(), "");
  EXPECT_FALSE(opened.doc.IsModified());

  bytes.resize(kProjectSettingsBlockBytes + 2);  // inside the track count
  WriteBytes(path, bytes);
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Failed);
  EXPECT_EQ(opened.ui.MessageTexts().back(), "Can't restore saved project");
  EXPECT_EQ(opened.ui.messages.size(), 3u);
}

TEST_F(ProjectFileTest, WindowsStyleRelativePathsAreFoundBelowTheProjectFolder) {
  const std::string path = dir_.File("p.vrp");
  {
    ProjectDocument original;
    original.Place(0, original.AddMovie(dir_.File("media/sub/a.avi")), 0.0, 1000.0);
    ASSERT_TRUE(SaveProjectFile(original.doc, path));
  }
  // The same project as written on Windows: backslashes, and a full path
  // that no longer exists.
  auto read = ReadProjectFile(FileBytes(path));
  ASSERT_TRUE(read.ok);
  read.contents.sources[0].storedPath = "media\\sub\\a.avi";
  read.contents.sources[0].fullPath = "D:\\show\\media\\sub\\a.avi";
  WriteBytes(path, WriteProjectFile(read.contents));

  ProjectDocument opened;
  opened.board.Config().movies[dir_.File("media/sub/a.avi")] = FakeMovie{};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  ASSERT_EQ(opened.doc.sources.size(), 1u);
  EXPECT_EQ(opened.doc.sources[0]->path, dir_.File("media/sub/a.avi"));

  // A drive path is looked up only where it says.
  read.contents.sources[0].storedPath = "D:\\show\\media\\sub\\a.avi";
  WriteBytes(path, WriteProjectFile(read.contents));
  ProjectDocument elsewhere;
  ASSERT_EQ(OpenProjectFile(elsewhere.doc, path), ProjectOpenOutcome::Opened);
  ASSERT_EQ(elsewhere.ui.missingSourceRequests.size(), 1u);
  EXPECT_EQ(elsewhere.ui.missingSourceRequests[0].location, "D:\\show\\media\\sub\\a.avi");
}

TEST_F(ProjectFileTest, ASaveFailingAtAnyPointLeavesTheOldFileByteForByte) {
  const std::string path = dir_.File("p.vrp");
  ProjectDocument project;
  CSrc& a = project.AddMovie(dir_.File("m/a.avi"));
  project.Place(0, a, 0.0, 1000.0);
  ASSERT_TRUE(SaveProjectFile(project.doc, path));
  const auto before = FileBytes(path);
  project.Place(3, a, 0.0, 1000.0);
  project.doc.SetModified(true);
  ProjectFileContents contents;
  ASSERT_TRUE(CollectProjectContents(project.doc, contents));
  const std::size_t newSize = WriteProjectFile(contents).size();

  std::vector<AtomicWriteFaults> faults;
  for (std::size_t offset = 0; offset <= newSize; offset += 7) faults.push_back({offset, false, false});
  faults.push_back({std::nullopt, true, false});
  faults.push_back({std::nullopt, false, true});
  for (const auto& fault : faults) {
    EXPECT_FALSE(SaveProjectFile(project.doc, path, fault));
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_TRUE(project.doc.IsModified());
  }
  EXPECT_EQ(project.ui.messages.size(), faults.size());
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_.Path())) ++entries;
  EXPECT_EQ(entries, 2u);  // p.vrp and the media folder, no temporary files
  ASSERT_TRUE(SaveProjectFile(project.doc, path));
  EXPECT_EQ(FileBytes(path).size(), newSize);
}

TEST_F(ProjectFileTest, AFailedSaveKeepsTheOldFileAndTheModifiedFlag) {
  const std::string path = dir_.File("p.vrp");
  ProjectDocument project;
  CSrc& a = project.AddMovie(dir_.File("m/a.avi"));
  project.Place(0, a, 0.0, 1000.0);
  ASSERT_TRUE(SaveProjectFile(project.doc, path));
  const auto before = FileBytes(path);

  // A clip whose source the Clip Collection no longer holds cannot be written.
  CSrc stray("/elsewhere/b.avi", "b.avi");
  project.Place(0, stray, 3000.0, 1000.0);
  project.doc.SetModified(true);
  EXPECT_FALSE(SaveProjectFile(project.doc, path));
  EXPECT_THAT(project.ui.MessageTexts(), ElementsAre("Can't save the active project"));
  EXPECT_EQ(project.ui.messages[0].caption, "Save project");
  EXPECT_EQ(project.ui.messages[0].icon, MessageIcon::Error);
  EXPECT_TRUE(project.doc.IsModified());
  EXPECT_EQ(FileBytes(path), before);
  project.Track(0).Remove(*project.Track(0).clips.back());

  // Nor can a folder that does not exist take the file.
  EXPECT_FALSE(SaveProjectFile(project.doc, (dir_.Path() / "gone" / "p.vrp").string()));
  EXPECT_EQ(project.doc.ProjectPath(), path);  // the name it had
  EXPECT_FALSE(fs::exists(dir_.Path() / "gone"));
  // No temporary file is left beside the project.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_.Path())) ++entries;
  EXPECT_EQ(entries, 2u);  // p.vrp and the media folder
}

}  // namespace
}  // namespace vantorelle

namespace vantorelle {
namespace {

TEST(ProjectFileTidiness, AGoodSaveRemovesTemporariesOfKilledSavesAndKeepsPermissions) {
  testing::TempDir dir;
  const std::string path = dir.File("p.vrp");
  testing::TestDocument project;
  HeadlessDocumentViews views;
  project.doc.AttachViews(&views);
  ASSERT_TRUE(SaveProjectFile(project.doc, path));
  ::chmod(path.c_str(), 0600);
  const std::string stale = dir.WriteFile(".p.vrp.saving-12345", "half a project");
  const std::string unrelated = dir.WriteFile(".q.vrp.saving-1", "another project's");
  ASSERT_TRUE(SaveProjectFile(project.doc, path));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(unrelated));
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace vantorelle
