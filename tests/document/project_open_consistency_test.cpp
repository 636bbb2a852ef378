// A project file whose clip times contradict each other (fades longer than
// the clip or below nothing, a clip that ends before it starts) opens into
// a consistent timeline: such fades are dropped as a trim drops them, such
// clips are refused. Whatever order a file lists a clip's links in, the
// opened project saves and reopens to the same bytes. Clips listed out of
// start order take their places by start, those of equal start in file order.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/project_file_format.h"
#include "document/project_storage.h"
#include "support/file_bytes.h"
#include "support/project_document.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::FileBytes;
using testing::ProjectDocument;
using testing::TempDir;
using testing::WriteBytes;

struct OpenedProjectFile : ::testing::Test {
  // Three picture clips from one movie, saved with the editor's own writer.
  ProjectFileContents Saved() {
    ProjectDocument original;
    CSrc& movie = original.AddMovie(dir.File("media/a.avi"));
    original.Place(0, movie, 0.0, 2000.0);
    original.Place(0, movie, 3000.0, 1000.0);
    original.Place(0, movie, 5000.0, 1000.0);
    const std::string path = dir.File("sane.vrp");
    EXPECT_TRUE(SaveProjectFile(original.doc, path));
    ProjectFileReadResult read = ReadProjectFile(FileBytes(path));
    EXPECT_TRUE(read.ok);
    return read.contents;
  }

  // Saves the opened document, opens that again and saves it once more:
  // the two saves must be the same bytes.
  void ExpectStableResave(ProjectDocument& opened) {
    const std::string saved = dir.File("saved.vrp");
    ASSERT_TRUE(SaveProjectFile(opened.doc, saved));
    ProjectDocument again;
    ASSERT_EQ(OpenProjectFile(again.doc, saved), ProjectOpenOutcome::Opened);
    again.ExpectConsistent(again.Sources());
    const std::string savedAgain = dir.File("saved-again.vrp");
    ASSERT_TRUE(SaveProjectFile(again.doc, savedAgain));
    EXPECT_EQ(FileBytes(saved), FileBytes(savedAgain));
  }

  TempDir dir;
};

TEST_F(OpenedProjectFile, OpenIntoAConsistentTimelineThatSavesStably) {
  ProjectFileContents contents = Saved();
  ASSERT_EQ(contents.clips.size(), 3u);
  contents.clips[0].fadeIn = 2500.0;  // longer than the clip
  contents.clips[0].fadeOut = 400.0;  // fine, kept
  contents.clips[1].fadeIn = -100.0;  // below nothing
  contents.clips[1].fadeOut = 1000.0;  // exactly the clip, kept
  contents.clips[2].duration = -40.0;  // ends before it starts
  const std::string path = dir.File("contradictory.vrp");
  WriteBytes(path, WriteProjectFile(contents));

  ProjectDocument opened;
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  opened.ExpectConsistent(opened.Sources());
  const auto& clips = opened.Track(0).clips;
  ASSERT_EQ(clips.size(), 2u);
  EXPECT_EQ(clips[0]->fadeIn, 0.0);
  EXPECT_EQ(clips[0]->fadeOut, 400.0);
  EXPECT_EQ(clips[1]->fadeIn, 0.0);
  EXPECT_EQ(clips[1]->fadeOut, 1000.0);
  ExpectStableResave(opened);
}

TEST_F(OpenedProjectFile, LinksListedInAnyOrderResaveToTheSameBytes) {
  // Three clips linked with each other, named by the last one alone, the later partner first.
  ProjectFileContents contents = Saved();
  ASSERT_EQ(contents.clips.size(), 3u);
  const std::int32_t first = contents.clips[0].number;
  const std::int32_t middle = contents.clips[1].number;
  contents.clips[0].linkedNumbers = {};
  contents.clips[1].linkedNumbers = {};
  contents.clips[2].linkedNumbers = {middle, first};
  const std::string path = dir.File("links.vrp");
  WriteBytes(path, WriteProjectFile(contents));

  ProjectDocument opened;
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  opened.ExpectConsistent(opened.Sources());
  EXPECT_EQ(opened.Track(0).clips.back()->links.size(), 2u);
  ExpectStableResave(opened);
}

TEST_F(OpenedProjectFile, ClipsListedOutOfOrderGoByStartAndEqualStartsKeepFileOrder) {
  ProjectFileContents contents = Saved();
  ASSERT_EQ(contents.clips.size(), 3u);
  ProjectClipRecord late = contents.clips[2];
  ProjectClipRecord middle = contents.clips[1];
  ProjectClipRecord firstAtZero = contents.clips[0];
  ProjectClipRecord secondAtZero = contents.clips[0];
  late.name = "late";
  middle.name = "middle";
  firstAtZero.name = "first at zero";
  secondAtZero.name = "second at zero";
  secondAtZero.number = 40;
  late.linkedNumbers = {middle.number};
  contents.clips = {late, middle, firstAtZero, secondAtZero};
  const std::string path = dir.File("shuffled.vrp");
  WriteBytes(path, WriteProjectFile(contents));

  ProjectDocument opened;
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  const auto& clips = opened.Track(0).clips;
  std::vector<std::string> names;
  for (const auto& clip : clips) {
    names.push_back(clip->name);
    EXPECT_EQ(clip->track, &opened.Track(0));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"first at zero", "second at zero", "middle", "late"}));
  ASSERT_EQ(clips.size(), 4u);
  ASSERT_EQ(clips[2]->links.size(), 1u);
  EXPECT_EQ(clips[2]->links.front(), clips[3].get());
  ASSERT_EQ(clips[3]->links.size(), 1u);
  EXPECT_EQ(clips[3]->links.front(), clips[2].get());
  EXPECT_TRUE(clips[0]->links.empty());
}

}  // namespace
}  // namespace vantorelle
