// Sources whose files cannot be found when a project is opened: they stay,
// offline, with their clips and their stored records; where a stored source
// is looked for; relinking them later.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "document/offline_relink.h"
#include "document/project_file_format.h"
#include "document/project_storage.h"
#include "support/file_bytes.h"
#include "support/project_document.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FakeMovie;
using testing::FileBytes;
using testing::ProjectDocument;
using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

const MissingSourceAnswer kSkip{MissingSourceAnswer::Kind::Skip, {}, {}};
const MissingSourceAnswer kSkipAll{MissingSourceAnswer::Kind::SkipAll, {}, {}};

MissingSourceAnswer Choose(const std::string& path) {
  return {MissingSourceAnswer::Kind::FileChosen, path, fs::path(path).parent_path().string() + "/"};
}

std::size_t ClipCount(const ProjectDocument& project) {
  std::size_t count = 0;
  for (const auto& track : project.doc.timeline.tracks) count += track->clips.size();
  return count;
}

class OfflineSources : public ::testing::Test {
 protected:
  // A project in show/ with two movies in show/media, each with a clip, one
  // pair of them linked.
  std::string SaveShow() {
    const std::string path = dir_.File("show/p.vrp");
    ProjectDocument original;
    CSrc& a = original.AddMovie(dir_.File("show/media/a.avi"));
    CSrc& b = original.AddMovie(dir_.File("show/media/b.avi"), SourceFlags::MovieFile | SourceFlags::VideoStream |
                                                                   SourceFlags::AudioStream);
    CFilm& picture = original.Place(0, a, 0.0, 1000.0);
    CFilm& sound = original.Place(3, b, 0.0, 1000.0);
    CFilm::Link(picture, sound);
    original.Place(1, b, 2000.0, 500.0);
    EXPECT_TRUE(SaveProjectFile(original.doc, path));
    return path;
  }

  void KnowMovies(ProjectDocument& project, const std::string& folder) {
    project.board.Config().movies[folder + "/a.avi"] = AddMovieLike();
    project.board.Config().movies[folder + "/b.avi"] = AddMovieLike();
  }

  static FakeMovie AddMovieLike() {
    FakeMovie movie;
    movie.streamFlags = KlpStream::JpegVideo;
    movie.videoDurationS = 8.0;
    return movie;
  }

  TempDir dir_;
};

TEST_F(OfflineSources, ARenamedMediaFolderKeepsEveryClipAndResavesTheSameBytes) {
  const std::string path = SaveShow();
  const auto saved = FileBytes(path);
  fs::rename(dir_.File("show/media"), dir_.File("show/media-renamed"));

  ProjectDocument opened;
  opened.ui.missingSourceAnswers = {kSkip, kSkip};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  EXPECT_EQ(opened.ui.missingSourceRequests.size(), 2u);
  ASSERT_EQ(opened.doc.sources.size(), 2u);
  EXPECT_TRUE(opened.doc.sources[0]->offline);
  EXPECT_TRUE(opened.doc.sources[1]->offline);
  EXPECT_EQ(opened.doc.sources[0]->path, dir_.File("show/media/a.avi"));
  EXPECT_EQ(opened.doc.sources[1]->usageCount, 2);
  EXPECT_EQ(ClipCount(opened), 3u);
  ASSERT_EQ(opened.Track(0).clips.at(0)->links.size(), 1u);
  opened.ExpectConsistent(opened.Sources());
  // Nothing a save would write differs from the file.
  EXPECT_FALSE(opened.doc.IsModified());

  // Saved in place and beside it: the same bytes, paths as they were stored.
  ASSERT_TRUE(SaveProjectFile(opened.doc, path));
  EXPECT_EQ(FileBytes(path), saved);

  // Edits and their undo keep the offline clips whole.
  opened.doc.RecordUndo(1);
  opened.Track(1).Remove(*opened.Track(1).clips.at(0));
  opened.doc.timeline.RecountSourceUsage(opened.doc.SourcePointers());
  opened.ExpectConsistent(opened.Sources());
  opened.doc.Undo();
  EXPECT_EQ(ClipCount(opened), 3u);
  EXPECT_EQ(opened.doc.sources[1]->usageCount, 2);
  opened.ExpectConsistent(opened.Sources());
  opened.doc.Redo();
  EXPECT_EQ(opened.doc.sources[1]->usageCount, 1);
  opened.ExpectConsistent(opened.Sources());

  // With the folder back, the next open finds every file again.
  fs::rename(dir_.File("show/media-renamed"), dir_.File("show/media"));
  ProjectDocument reopened;
  KnowMovies(reopened, dir_.File("show/media"));
  ASSERT_EQ(OpenProjectFile(reopened.doc, path), ProjectOpenOutcome::Opened);
  EXPECT_THAT(reopened.ui.missingSourceRequests, IsEmpty());
  ASSERT_EQ(reopened.doc.sources.size(), 2u);
  EXPECT_FALSE(reopened.doc.sources[0]->offline);
  EXPECT_EQ(ClipCount(reopened), 3u);
}

TEST_F(OfflineSources, SkipAllAnswersForOneOpenOnly) {
  const std::string path = SaveShow();
  fs::remove_all(dir_.File("show/media"));
  ProjectDocument opened;
  opened.ui.missingSourceAnswers = {kSkipAll};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  // The rest of this open is skipped without asking ...
  EXPECT_EQ(opened.ui.missingSourceRequests.size(), 1u);
  EXPECT_EQ(opened.doc.sources.size(), 2u);
  // ... but the next open asks again.
  opened.ui.missingSourceAnswers = {kSkip, kSkip};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  EXPECT_EQ(opened.ui.missingSourceRequests.size(), 3u);
  EXPECT_EQ(ClipCount(opened), 3u);
}

TEST_F(OfflineSources, ACopiedProjectFindsItsMediaByTheStoredFullPath) {
  const std::string path = SaveShow();
  fs::create_directories(dir_.File("elsewhere"));
  fs::copy_file(path, dir_.File("elsewhere/p.vrp"));
  ProjectDocument opened;
  KnowMovies(opened, dir_.File("show/media"));
  ASSERT_EQ(OpenProjectFile(opened.doc, dir_.File("elsewhere/p.vrp")), ProjectOpenOutcome::Opened);
  EXPECT_THAT(opened.ui.missingSourceRequests, IsEmpty());
  ASSERT_EQ(opened.doc.sources.size(), 2u);
  EXPECT_EQ(opened.doc.sources[0]->path, dir_.File("show/media/a.avi"));
  EXPECT_FALSE(opened.doc.sources[0]->offline);
  EXPECT_EQ(ClipCount(opened), 3u);
  // Its relative paths would be written anew.
  EXPECT_TRUE(opened.doc.IsModified());
}

TEST_F(OfflineSources, PathsThatDifferInCaseAreDifferentFiles) {
  EXPECT_EQ(MakeRelativePath("/x/show/a.wav", "/x/Show"), "/x/show/a.wav");
  EXPECT_EQ(MakeRelativePath("/x/Show/a.wav", "/x/Show"), "a.wav");

  // Media in show/ of a project in Show/, and another file of the same name
  // beside the project.
  const std::string path = dir_.File("Show/p.vrp");
  {
    ProjectDocument original;
    original.Place(0, original.AddMovie(dir_.File("show/a.avi")), 0.0, 1000.0);
    ASSERT_TRUE(SaveProjectFile(original.doc, path));
  }
  std::ofstream(dir_.File("Show/a.avi")) << "another file";
  ProjectDocument opened;
  KnowMovies(opened, dir_.File("show"));
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  ASSERT_EQ(opened.doc.sources.size(), 1u);
  EXPECT_EQ(opened.doc.sources[0]->path, dir_.File("show/a.avi"));
  EXPECT_THAT(opened.ui.MessageTexts(), IsEmpty());
}

TEST_F(OfflineSources, ABackslashInAStoredRelativePathIsTriedAsAFileNameFirst) {
  const std::string path = dir_.File("p.vrp");
  const std::string take = dir_.File("take\\1.avi");
  {
    ProjectDocument original;
    original.Place(0, original.AddMovie(take), 0.0, 1000.0);
    ASSERT_TRUE(SaveProjectFile(original.doc, path));
  }
  ProjectDocument opened;
  opened.board.Config().movies[take] = AddMovieLike();
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  EXPECT_THAT(opened.ui.missingSourceRequests, IsEmpty());
  ASSERT_EQ(opened.doc.sources.size(), 1u);
  EXPECT_EQ(opened.doc.sources[0]->path, take);
  EXPECT_FALSE(opened.doc.sources[0]->offline);
}

TEST_F(OfflineSources, TwoSourcesRelocatedOntoOneFileKeepTheirClips) {
  const std::string path = SaveShow();
  fs::create_directories(dir_.File("found"));
  fs::rename(dir_.File("show/media/a.avi"), dir_.File("found/both.avi"));
  fs::remove(dir_.File("show/media/b.avi"));
  ProjectDocument opened;
  opened.board.Config().movies[dir_.File("found/both.avi")] = AddMovieLike();
  opened.ui.missingSourceAnswers = {Choose(dir_.File("found/both.avi")), Choose(dir_.File("found/both.avi"))};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  ASSERT_EQ(opened.doc.sources.size(), 2u);
  EXPECT_EQ(opened.doc.sources[0]->path, dir_.File("found/both.avi"));
  EXPECT_EQ(opened.doc.sources[1]->path, dir_.File("found/both.avi"));
  EXPECT_FALSE(opened.doc.sources[1]->offline);
  EXPECT_EQ(ClipCount(opened), 3u);
  opened.ExpectConsistent(opened.Sources());
  // Browse relocated them: a save would write new paths.
  EXPECT_TRUE(opened.doc.IsModified());
}

TEST_F(OfflineSources, RelinkingPointsOfflineSourcesAtAFileAndSearchesItsFolder) {
  const std::string path = SaveShow();
  fs::rename(dir_.File("show/media"), dir_.File("moved"));
  fs::rename(dir_.File("moved/a.avi"), dir_.File("moved/renamed.avi"));
  ProjectDocument opened;
  opened.ui.missingSourceAnswers = {kSkipAll};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  ASSERT_EQ(CountOfflineSources(opened.doc), 2);
  EXPECT_FALSE(opened.doc.IsModified());

  opened.board.Config().movies[dir_.File("moved/renamed.avi")] = AddMovieLike();
  opened.board.Config().movies[dir_.File("moved/b.avi")] = AddMovieLike();
  const SourceReadContext context = RelinkReadContext(opened.doc, nullptr);
  // A file of no offline source's name, with two offline: nothing to take it;
  // its folder still holds b.avi.
  RelinkOutcome outcome = RelinkOfflineSources(opened.doc, context, dir_.File("moved/renamed.avi"));
  EXPECT_EQ(outcome.relinked, 1);
  EXPECT_EQ(outcome.stillOffline, 1);
  EXPECT_EQ(opened.doc.sources[1]->path, dir_.File("moved/b.avi"));
  EXPECT_FALSE(opened.doc.sources[1]->offline);
  EXPECT_TRUE(opened.doc.IsModified());
  // The one left takes the renamed file.
  outcome = RelinkOfflineSources(opened.doc, context, dir_.File("moved/renamed.avi"));
  EXPECT_EQ(outcome.relinked, 1);
  EXPECT_EQ(outcome.stillOffline, 0);
  EXPECT_EQ(opened.doc.sources[0]->path, dir_.File("moved/renamed.avi"));
  EXPECT_EQ(opened.doc.sources[0]->name, "renamed.avi");
  EXPECT_EQ(ClipCount(opened), 3u);
  opened.ExpectConsistent(opened.Sources());
}

TEST_F(OfflineSources, RelinkingAFolderFindsTheOfflineFileNames) {
  const std::string path = SaveShow();
  fs::rename(dir_.File("show/media"), dir_.File("moved"));
  ProjectDocument opened;
  opened.ui.missingSourceAnswers = {kSkip, kSkip};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  KnowMovies(opened, dir_.File("moved"));
  const RelinkOutcome outcome =
      RelinkOfflineSources(opened.doc, RelinkReadContext(opened.doc, nullptr), dir_.File("moved"));
  EXPECT_EQ(outcome.relinked, 2);
  EXPECT_EQ(CountOfflineSources(opened.doc), 0);
  ASSERT_TRUE(SaveProjectFile(opened.doc, path));
  const auto read = ReadProjectFile(FileBytes(path));
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.contents.sources.at(0).fullPath, dir_.File("moved/a.avi"));
  EXPECT_EQ(read.contents.clips.size(), 3u);
}

}  // namespace
}  // namespace vantorelle
