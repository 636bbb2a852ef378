// Project files that are not what they claim (folders, pipes, devices,
// files far longer than their records) and saves the system refuses: the
// open never hangs, aborts or loads a huge file, a save through a link
// keeps the link, a read-only project is not replaced, and every failure
// keeps its fixed text as the first line and gives the system's reason on
// the second.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "document/project_file_format.h"
#include "document/project_file_reading.h"
#include "document/project_storage.h"
#include "support/file_bytes.h"
#include "support/hostile_files.h"
#include "support/project_document.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::FileBytes;
using testing::MakeFifo;
using testing::MakeSparseFile;
using testing::PeakMemoryGrowthOf;
using testing::PipeWatch;
using testing::ProjectDocument;
using testing::TempDir;
namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

class ProjectFileHostileTest : public ::testing::Test {
 protected:
  // A saved project of one clip, its bytes and its path.
  std::vector<std::uint8_t> SavedProject(const std::string& path) {
    ProjectDocument project;
    CSrc& a = project.AddMovie(dir_.File("m/a.avi"));
    project.Place(0, a, 0.0, 1000.0);
    EXPECT_TRUE(SaveProjectFile(project.doc, path));
    return FileBytes(path);
  }

  TempDir dir_;
};

TEST_F(ProjectFileHostileTest, OnlyRegularFilesOpenAndTheReasonFollowsTheFixedText) {
  const std::string fifo = dir_.File("pipe.vrp");
  MakeFifo(fifo);
  fs::create_directories(dir_.Path() / "folder.vrp");
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {dir_.File("missing.vrp"), "No such file or directory"},
      {dir_.File("folder.vrp"), "Is a directory"},
      {fifo, "Not a regular file"},
      {"/dev/zero", "Not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    PipeWatch watch(fifo);
    ProjectDocument project;
    CSrc& kept = project.AddMovie(dir_.File("m/kept.avi"));
    project.Place(0, kept, 0.0, 1000.0);
    EXPECT_EQ(OpenProjectFile(project.doc, c.path), ProjectOpenOutcome::Unreadable);
    EXPECT_FALSE(watch.HadToRelease());
    ASSERT_EQ(project.ui.messages.size(), 1u);
    EXPECT_EQ(Lines(project.ui.messages[0].text),
              (std::vector<std::string>{"Can't restore saved project", c.reason}));
    EXPECT_EQ(project.ui.messages[0].caption, "Restore project");
    // Nothing of the document went.
    EXPECT_EQ(project.Track(0).clips.size(), 1u);
  }
}

TEST_F(ProjectFileHostileTest, AFileFarLongerThanItsRecordsIsRefusedWithoutBeingLoaded) {
  const std::vector<std::uint8_t> project = SavedProject(dir_.File("p.vrp"));
  // A megabyte after the clips is no project of ours.
  const std::string padded = dir_.File("padded.vrp");
  MakeSparseFile(padded, project.size() + (1 << 20), project);
  {
    ProjectDocument opened;
    EXPECT_EQ(OpenProjectFile(opened.doc, padded), ProjectOpenOutcome::Failed);
    EXPECT_EQ(opened.ui.MessageTexts().back(), "Can't restore saved project");
  }
  // A short tail (a recovery copy's) is still read.
  const std::string tail = dir_.File("tail.vrp");
  MakeSparseFile(tail, project.size() + 300, project);
  {
    ProjectDocument opened;
    EXPECT_EQ(OpenProjectFile(opened.doc, tail), ProjectOpenOutcome::Opened);
    EXPECT_EQ(opened.Track(0).clips.size(), 1u);
  }
  // Eight gigabytes behind the project: refused after reading the project's
  // own bytes only.
  const std::string huge = dir_.File("huge.vrp");
  MakeSparseFile(huge, 8ull << 30, project);
  const std::uint64_t grown = PeakMemoryGrowthOf([&] {
    const ProjectFileOnDisk read = ReadProjectFileAt(huge);
    if (read.status != ProjectFileOnDisk::Status::Read || read.read.ok) ::_exit(3);
  });
  EXPECT_LT(grown, 16u << 20);
}

TEST_F(ProjectFileHostileTest, CountsAreCheckedAgainstTheFileAsItIsRead) {
  std::vector<std::uint8_t> project = SavedProject(dir_.File("p.vrp"));
  // The clip count claims far more records than the file holds.
  // Before the one clip: its record of 89 bytes and its name "a.avi".
  const std::size_t clipCountAt = project.size() - 4 - 89 - 5;
  ASSERT_EQ(project[clipCountAt], 1);
  project[clipCountAt + 3] = 0x7F;
  const std::string damaged = dir_.File("damaged.vrp");
  testing::WriteBytes(damaged, project);
  const ProjectFileOnDisk read = ReadProjectFileAt(damaged);
  EXPECT_EQ(read.status, ProjectFileOnDisk::Status::Read);
  EXPECT_FALSE(read.read.ok);
  EXPECT_EQ(read.read.error.section, ProjectFileSection::Clips);
  // The same answer as for the bytes in memory.
  EXPECT_EQ(read.read.error.reason, ReadProjectFile(project).error.reason);
}

// Bytes from memory, counting what the reader asks for.
class CountingSource : public ArchiveByteSource {
 public:
  explicit CountingSource(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  void Read(std::uint8_t* into, std::size_t count) override {
    if (count > bytes_.size() - given) throw ArchiveError("past the end");
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(given), count, into);
    given += count;
    largestRequest = std::max(largestRequest, count);
  }
  std::size_t given = 0;
  std::size_t largestRequest = 0;

 private:
  const std::vector<std::uint8_t>& bytes_;
};

TEST_F(ProjectFileHostileTest, AReaderOverASourceTakesOnlyWhatTheParseNeeds) {
  const std::vector<std::uint8_t> project = SavedProject(dir_.File("p.vrp"));
  std::vector<std::uint8_t> padded = project;
  padded.resize(project.size() + (4 << 20), 0);
  CountingSource source(padded);
  ArchiveReader in(source, padded.size());
  const ProjectFileReadResult read = ReadProjectFile(in);
  ASSERT_TRUE(read.ok) << read.error.reason;
  EXPECT_EQ(read.contents.clips.size(), ReadProjectFile(project).contents.clips.size());
  EXPECT_EQ(in.Offset(), project.size());
  // Read ahead in small pieces, never far past the clips.
  EXPECT_LE(source.given, project.size() + (64 << 10));
  EXPECT_LE(source.largestRequest, std::size_t{64} << 10);
}

TEST_F(ProjectFileHostileTest, SavingThroughALinkWritesTheLinkedFileAndKeepsTheLink) {
  fs::create_directories(dir_.Path() / "real");
  const std::string target = dir_.File("real/p.vrp");
  const std::vector<std::uint8_t> old = SavedProject(target);
  const std::string link = dir_.File("link.vrp");
  fs::create_symlink("real/p.vrp", link);

  ProjectDocument project;
  ASSERT_EQ(OpenProjectFile(project.doc, link), ProjectOpenOutcome::Opened);
  project.Track(0).name = "Renamed";
  ASSERT_TRUE(SaveProjectFile(project.doc, link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_NE(FileBytes(target), old);
  EXPECT_EQ(FileBytes(target), FileBytes(link));
  ProjectDocument reopened;
  ASSERT_EQ(OpenProjectFile(reopened.doc, target), ProjectOpenOutcome::Opened);
  EXPECT_EQ(reopened.Track(0).name, "Renamed");
  // No temporary stays beside the linked file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path() / "real"), fs::directory_iterator()), 1);
}

TEST_F(ProjectFileHostileTest, AReadOnlyProjectIsNotReplacedAndThePersonIsToldWhy) {
  const std::string path = dir_.File("p.vrp");
  const std::vector<std::uint8_t> old = SavedProject(path);
  // No write bit for anyone: held to even by the superuser the tests run as.
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  ProjectDocument project;
  ASSERT_EQ(OpenProjectFile(project.doc, path), ProjectOpenOutcome::Opened);
  project.Track(0).name = "Renamed";
  project.doc.SetModified(true);
  EXPECT_FALSE(SaveProjectFile(project.doc, path));
  EXPECT_EQ(FileBytes(path), old);
  EXPECT_TRUE(project.doc.IsModified());
  ASSERT_EQ(project.ui.messages.size(), 1u);
  EXPECT_EQ(Lines(project.ui.messages[0].text),
            (std::vector<std::string>{"Can't save the active project", "Permission denied"}));
  EXPECT_EQ(project.ui.messages[0].caption, "Save project");
}

TEST_F(ProjectFileHostileTest, AFailedSaveGivesTheSystemsReasonOnASecondLine) {
  const std::string path = dir_.File("p.vrp");
  const std::vector<std::uint8_t> old = SavedProject(path);
  ProjectDocument project;
  ASSERT_EQ(OpenProjectFile(project.doc, path), ProjectOpenOutcome::Opened);
  project.Track(0).name = "Renamed";
  AtomicWriteFaults fullDisk;
  fullDisk.failAfterBytes = 10;
  EXPECT_FALSE(SaveProjectFile(project.doc, path, fullDisk));
  EXPECT_EQ(FileBytes(path), old);
  // Saving over a folder.
  fs::create_directories(dir_.Path() / "folder.vrp");
  EXPECT_FALSE(SaveProjectFile(project.doc, dir_.File("folder.vrp")));
  ASSERT_EQ(project.ui.messages.size(), 2u);
  EXPECT_EQ(Lines(project.ui.messages[0].text),
            (std::vector<std::string>{"Can't save the active project", "No space left on device"}));
  EXPECT_EQ(Lines(project.ui.messages[1].text),
            (std::vector<std::string>{"Can't save the active project", "Is a directory"}));
}

}  // namespace
}  // namespace vantorelle
