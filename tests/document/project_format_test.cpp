// A project remembers the format it is made in: the block after the clips,
// opening under another running format, byte-exact resaves of old and new
// files, and the recovery copy of a project in a non-classic format.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "document/autosave.h"
#include "document/project_file_format.h"
#include "document/project_file_reading.h"
#include "document/project_storage.h"
#include "model/video_format.h"
#include "support/file_bytes.h"
#include "support/project_document.h"
#include "support/temp_dir.h"
#include "timeline/view_services.h"

namespace vantorelle {
namespace {

using testing::FileBytes;
using testing::ProjectDocument;
using testing::TempDir;
using testing::VideoStandardScope;
using testing::WriteBytes;
using ::testing::ElementsAre;

constexpr VideoFormat kHd25{1920, 1080, 25000};
constexpr VideoFormat kPal{720, 576, 25000};
constexpr VideoFormat kHd2997{1920, 1080, 29970};

std::int32_t I32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::int32_t>(bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
                                   static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

bool StartsWith(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& prefix) {
  return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

class NoTimers : public ITimerService {
 public:
  void StartTimer(int, int) override {}
  void KillTimer(int) override {}
};

class ProjectFormatTest : public ::testing::Test {
 protected:
  // A project with two clips on the first track, saved at path; 40 ms frames
  // at 25 and 29.97 alike keep these times on the grid of either.
  void Fill(ProjectDocument& project) {
    CSrc& movie = project.AddMovie(dir_.File("media/a.avi"));
    project.Place(0, movie, 0.0, 2000.0);
    project.Place(0, movie, 4000.0, 1000.0);
  }

  TempDir dir_;
};

TEST(ProjectFormatBlock, WrittenAfterTheClipsOnlyWhenGivenAndReadBack) {
  ProjectFileContents contents;
  contents.tracks.emplace_back();
  ProjectClipRecord clip;
  clip.duration = 1000.0;
  contents.clips.push_back(clip);
  const std::vector<std::uint8_t> plain = WriteProjectFile(contents);
  EXPECT_FALSE(ReadProjectFile(plain).contents.format);

  contents.format = kHd2997;
  const std::vector<std::uint8_t> withFormat = WriteProjectFile(contents);
  // Everything up to the clips is the file as it always was; the block follows.
  ASSERT_EQ(withFormat.size(), plain.size() + kFormatBlockBytes);
  EXPECT_TRUE(StartsWith(withFormat, plain));
  const std::size_t block = plain.size();
  EXPECT_EQ(std::string(withFormat.begin() + block, withFormat.begin() + block + 5), "VRFMT");
  EXPECT_EQ(I32At(withFormat, block + 5), 1);    // version
  EXPECT_EQ(I32At(withFormat, block + 9), 12);   // bytes that follow
  EXPECT_EQ(I32At(withFormat, block + 13), 1920);
  EXPECT_EQ(I32At(withFormat, block + 17), 1080);
  EXPECT_EQ(I32At(withFormat, block + 21), 29970);

  const ProjectFileReadResult read = ReadProjectFile(withFormat);
  ASSERT_TRUE(read.ok) << read.error.reason;
  EXPECT_EQ(read.contents.format, kHd2997);
  EXPECT_EQ(read.contents.clips.size(), 1u);
  // What follows the block (a recovery trailer) is not the block's business.
  std::vector<std::uint8_t> trailed = withFormat;
  trailed.insert(trailed.end(), {'/', 't', 'm', 'p', 0, 0, 0, 0});
  EXPECT_EQ(ReadProjectFile(trailed).contents.format, kHd2997);

  // A later version's longer block: the fields known are read, the rest skipped.
  std::vector<std::uint8_t> longer = withFormat;
  longer[block + 5] = 2;
  longer[block + 9] = 16;
  longer.insert(longer.end(), {9, 9, 9, 9});
  ArchiveReader in(longer);
  const ProjectFileReadResult later = ReadProjectFile(in);
  ASSERT_TRUE(later.ok) << later.error.reason;
  EXPECT_EQ(later.contents.format, kHd2997);
  EXPECT_TRUE(in.AtEnd());
}

TEST(ProjectFormatBlock, AFormatNoProjectCanHaveIsRefusedWithTheReason) {
  ProjectFileContents contents;
  contents.tracks.emplace_back();
  const auto refused = [&](VideoFormat format) {
    contents.format = format;
    const ProjectFileReadResult read = ReadProjectFile(WriteProjectFile(contents));
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error.section, ProjectFileSection::Format);
    return read.error.reason;
  };
  EXPECT_THAT(refused({1920, 1080, 26000}), ::testing::HasSubstr("frame rate"));
  EXPECT_THAT(refused({0, 1080, 25000}), ::testing::HasSubstr("frame size"));
  EXPECT_THAT(refused({1921, 1080, 25000}), ::testing::HasSubstr("frame size"));
  EXPECT_THAT(refused({1920, 9000, 25000}), ::testing::HasSubstr("frame size"));
  // A block cut short is damage too.
  contents.format = kHd25;
  std::vector<std::uint8_t> cut = WriteProjectFile(contents);
  cut.resize(cut.size() - 3);
  const ProjectFileReadResult read = ReadProjectFile(cut);
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.error.section, ProjectFileSection::Format);
}

TEST_F(ProjectFormatTest, AnHdProjectReopensInItsFormatUnderPalAndResavesByteForByte) {
  const std::string path = dir_.File("hd.vrp");
  {
    ProjectDocument project;
    VideoStandardScope hd(StandardOf(kHd25));
    Fill(project);
    ASSERT_TRUE(SaveProjectFile(project.doc, path));
  }
  const std::vector<std::uint8_t> saved = FileBytes(path);
  const auto onDisk = ReadProjectFileAt(path);
  ASSERT_TRUE(onDisk.read.ok);
  EXPECT_EQ(onDisk.read.contents.format, kHd25);

  ProjectDocument reopened;  // runs in PAL
  ASSERT_EQ(CurrentVideoStandard().FrameWidth, 720);
  ASSERT_EQ(OpenProjectFile(reopened.doc, path), ProjectOpenOutcome::Opened);
  EXPECT_EQ(reopened.doc.Format(), kHd25);
  EXPECT_EQ(CurrentVideoStandard().FrameWidth, 1920);
  EXPECT_EQ(CurrentVideoStandard().FrameHeight, 1080);
  EXPECT_DOUBLE_EQ(CurrentVideoStandard().FrameDelta, 40.0);
  EXPECT_THAT(reopened.Starts(0), ElementsAre(0.0, 4000.0));
  reopened.ExpectConsistent(reopened.Sources());

  const std::string copy = dir_.File("hd-copy.vrp");
  ASSERT_TRUE(SaveProjectFile(reopened.doc, copy));
  EXPECT_EQ(FileBytes(copy), saved);
}

TEST_F(ProjectFormatTest, TheRunningStandardIsSetBeforeTheFrameDisplayIsBuilt) {
  const std::string path = dir_.File("hd2997.vrp");
  {
    ProjectDocument project;
    VideoStandardScope hd(StandardOf(kHd2997));
    Fill(project);
    project.doc.SetTimeDisplayMode(static_cast<std::int32_t>(TimeDisplayMode::Frames));
    ASSERT_TRUE(SaveProjectFile(project.doc, path));
  }
  ProjectDocument reopened;
  ASSERT_EQ(OpenProjectFile(reopened.doc, path), ProjectOpenOutcome::Opened);
  ASSERT_FALSE(reopened.doc.rulerSteps.empty());
  // One frame at 29.97, not the 40 ms of the PAL the program started in.
  EXPECT_NEAR(reopened.doc.rulerSteps.front(), 1'000'000.0 / 29970, 1e-9);
}

TEST_F(ProjectFormatTest, AnSdFileOpensInTheRunningFormatAndResavesByteForByte) {
  // Written as every project was before formats were kept: no block.
  const std::string path = dir_.File("sd.vrp");
  {
    ProjectDocument project;
    Fill(project);
    project.doc.SetProjectPath(path);
    ProjectFileContents contents;
    ASSERT_TRUE(CollectProjectContents(project.doc, contents));
    EXPECT_FALSE(contents.format);
    contents.format.reset();
    WriteBytes(path, WriteProjectFile(contents));
  }
  const std::vector<std::uint8_t> old = FileBytes(path);
  for (const VideoFormat running : {kPal, VideoFormat{720, 480, 29970}}) {
    ProjectDocument reopened;
    VideoStandardScope scope(StandardOf(running));
    ASSERT_EQ(OpenProjectFile(reopened.doc, path), ProjectOpenOutcome::Opened);
    EXPECT_EQ(reopened.doc.Format(), running);
    const std::string copy = dir_.File("sd-copy.vrp");
    ASSERT_TRUE(SaveProjectFile(reopened.doc, copy));
    EXPECT_EQ(FileBytes(copy), old) << VideoFormatName(running);
  }
}

TEST_F(ProjectFormatTest, OneSessionFollowsEachProjectAndAFileWithoutFormatGetsTheStartFormat) {
  const std::string hd = dir_.File("hd.vrp");
  const std::string sd = dir_.File("sd.vrp");
  {
    ProjectDocument project;
    Fill(project);
    ASSERT_TRUE(SaveProjectFile(project.doc, sd));
    VideoStandardScope scope(StandardOf(kHd2997));
    ASSERT_TRUE(SaveProjectFile(project.doc, hd));
  }
  ProjectDocument session;  // started in PAL
  std::vector<VideoFormat> followed;
  session.doc.SetFormatHook([&](const VideoFormat& format) { followed.push_back(format); });
  ASSERT_EQ(OpenProjectFile(session.doc, hd), ProjectOpenOutcome::Opened);
  EXPECT_EQ(FormatOf(CurrentVideoStandard()), kHd2997);
  ASSERT_EQ(OpenProjectFile(session.doc, sd), ProjectOpenOutcome::Opened);
  EXPECT_EQ(FormatOf(CurrentVideoStandard()), kPal);
  ASSERT_EQ(OpenProjectFile(session.doc, hd), ProjectOpenOutcome::Opened);
  EXPECT_EQ(FormatOf(CurrentVideoStandard()), kHd2997);
  // Opening the project in force again switches nothing.
  ASSERT_EQ(OpenProjectFile(session.doc, hd), ProjectOpenOutcome::Opened);
  EXPECT_THAT(followed, ElementsAre(kHd2997, kPal, kHd2997));
  session.ExpectConsistent(session.Sources());

  // A damaged file changes no format.
  const std::string damaged = dir_.File("damaged.vrp");
  std::vector<std::uint8_t> bytes = FileBytes(hd);
  bytes[bytes.size() - 1] = 0x7F;  // a frame rate far past any supported one
  WriteBytes(damaged, bytes);
  EXPECT_EQ(OpenProjectFile(session.doc, damaged), ProjectOpenOutcome::Failed);
  EXPECT_EQ(FormatOf(CurrentVideoStandard()), kHd2997);
}

TEST_F(ProjectFormatTest, TheRecoveryCopyOfAnHdProjectKeepsItsFormat) {
  const std::string folder = dir_.File("cache/recovery");
  NoTimers timers;
  {
    ProjectDocument crashed;
    VideoStandardScope hd(StandardOf(kHd25));
    ProjectAutosave autosave(crashed.doc, timers, folder);
    Fill(crashed);
    crashed.doc.SetProjectPath(dir_.File("Film.vrp"));
    crashed.doc.SetModified(true);
    autosave.OnDocumentChanged();
    autosave.OnTimer(kAutosaveTimerId);
  }
  ProjectDocument next;  // PAL again
  ProjectAutosave autosave(next.doc, timers, folder);
  const auto found = autosave.FindRecovery();
  ASSERT_TRUE(found);
  const auto copy = DecodeRecoveryFile(FileBytes(found->file));
  ASSERT_TRUE(copy);
  EXPECT_EQ(ReadProjectFile(copy->project).contents.format, kHd25);

  next.ui.messageAnswers.push_back(MessageAnswer::Yes);
  ASSERT_TRUE(autosave.OfferRecovery(next.ui));
  EXPECT_EQ(next.doc.Format(), kHd25);
  EXPECT_EQ(next.doc.ProjectPath(), dir_.File("Film.vrp"));
  EXPECT_THAT(next.Starts(0), ElementsAre(0.0, 4000.0));
}

}  // namespace
}  // namespace vantorelle
