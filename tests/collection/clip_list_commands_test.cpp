// The Clip Collection list's commands on a project: adding through the file
// dialog, the duplicate warning, deleting with both questions (and the
// clips, links, clipboard copies and undo steps that go with a source),
// selecting a source's clips, and the drag and drop rules.
#include "collection/clip_list_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "collection/source_drag_payload.h"
#include "model/clip_edits.h"
#include "document/document_settings.h"
#include "document/document_texts.h"
#include "support/document_fixture.h"
#include "support/temp_dir.h"
#include "support/timeline_fixtures.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::PlaceClip;

class RecordingHost : public IClipCollectionHost {
 public:
  bool RegisterSource(const CSrc& source) override {
    calls.push_back("register " + source.name);
    return registers;
  }
  void CacheFrameImages(CSrc& source) override { calls.push_back("cache " + source.name); }
  void ForgetFrameImages(const CSrc& source) override { calls.push_back("forget " + source.name); }
  void Repaint(std::int32_t mask) override { calls.push_back("repaint " + std::to_string(mask)); }

  bool registers = true;
  std::vector<std::string> calls;
};

constexpr SourceFlagBits kMovie = SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream;

struct CollectionFixture : ::testing::Test {
  CVantorelleDoc& Doc() { return project.doc; }
  // A file on disk that the fake board opens as a movie.
  std::string MovieFile(const std::string& name, std::int32_t width = 720, std::int32_t height = 576) {
    const std::string path = dir.WriteFile(name, std::string(3000, 'm'));
    testing::FakeMovie movie;
    movie.width = width;
    movie.height = height;
    project.board.Config().movies[path] = movie;
    return path;
  }
  CFilm& Clip(std::size_t track, CSrc& source, TimeMs start, SourceFlagBits flags) {
    CFilm& clip = PlaceClip(project.Track(track), start, 1000.0, flags, &source);
    clip.sourceLength = source.duration;
    ++source.usageCount;
    return clip;
  }
  void SelectRowOf(const CSrc& source) { list.SelectOnly(list.RowOf(source)); }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const auto& source : project.doc.sources) paths.push_back(source->path);
    return paths;
  }

  testing::TempDir dir;
  testing::TestDocument project;
  RecordingHost host;
  CClipList list{[](const std::string& text) { return static_cast<int>(text.size()); }};
  ClipListCommands commands{project.doc, list, host};
};

TEST_F(CollectionFixture, AddAsksForAClipWithTheSourceFiltersAndAppendsTheSource) {
  const std::string path = MovieFile("clip.avi");
  project.AddSource("/media/first.wav", 1000.0, SourceFlags::MovieFile | SourceFlags::AudioStream);
  project.ui.openAnswers.push_back(path);

  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::Added);
  ASSERT_EQ(project.ui.openRequests.size(), 1u);
  EXPECT_EQ(project.ui.openRequests[0].title, "Open Clip");
  EXPECT_EQ(project.ui.openRequests[0].filters, Doc().sourceDialogFilters);
  EXPECT_THAT(Paths(), ElementsAre("/media/first.wav", path));
  EXPECT_EQ(Doc().sources.back()->name, "clip.avi");
  EXPECT_THAT(host.calls, ElementsAre("register clip.avi", "cache clip.avi"));
  EXPECT_TRUE(Doc().IsModified());
  ASSERT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.Rows()[1].texts[ClipListColumn::FileName], "clip.avi");
  EXPECT_TRUE(project.ui.messages.empty());
}

// The dialog's list begins with all media files; the stored index keeps the
// meaning it had before that entry led the list (1 is AVI, 2 is Wave).
TEST_F(CollectionFixture, TheDialogStartsOnTheStoredFilterAndStoresTheOneChosen) {
  const auto& filters = Doc().sourceDialogFilters;
  ASSERT_GE(filters.size(), 3u);
  EXPECT_EQ(filters[0].first, "All media files");
  EXPECT_EQ(filters[1].first, "AVI files(*.AVI)");
  EXPECT_EQ(filters[2].first, "Wave files(*.WAV)");

  Doc().preferences.loadClipFilterIndex = 1;
  project.ui.openAnswers.push_back(MovieFile("clip.avi"));
  project.ui.chosenOpenFilters.push_back(3);  // Wave, 1-based
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::Added);
  ASSERT_EQ(project.ui.openRequests.size(), 1u);
  EXPECT_EQ(project.ui.openRequests[0].filterIndex, 2) << "AVI, 1-based";
  EXPECT_EQ(Doc().preferences.loadClipFilterIndex, 2);

  // A cancelled dialog keeps the stored filter.
  project.ui.openAnswers.push_back(std::nullopt);
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::Cancelled);
  EXPECT_EQ(project.ui.openRequests[1].filterIndex, 3);
  EXPECT_EQ(Doc().preferences.loadClipFilterIndex, 2);

  // Choosing all media files stores the index below the first old one.
  project.ui.openAnswers.push_back(MovieFile("other.avi"));
  project.ui.chosenOpenFilters.push_back(1);
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::Added);
  EXPECT_EQ(Doc().preferences.loadClipFilterIndex, 0);
  project.ui.openAnswers.push_back(std::nullopt);
  commands.AddSourceFile();
  EXPECT_EQ(project.ui.openRequests.back().filterIndex, 1);
}

TEST(DocumentDefaults, SourceDialogsAndFileViewerStartOnAllMediaFiles) {
  const DocumentPreferences preferences;
  EXPECT_EQ(FilterPositionOf(preferences.loadClipFilterIndex), 1) << "1-based";
  EXPECT_EQ(FilterPositionOf(preferences.loadSourceFilterIndex), 1) << "1-based";
  EXPECT_EQ(FilterPositionOf(preferences.dirViewFilterIndex), 0) << "0-based";
}

TEST_F(CollectionFixture, CancellingTheDialogOrAnUnreadableOrUnregisteredFileAddsNothing) {
  project.ui.openAnswers.push_back(std::nullopt);
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::Cancelled);

  project.ui.openAnswers.push_back(dir.File("missing.avi"));
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::NotReadable);

  host.registers = false;
  project.ui.openAnswers.push_back(MovieFile("clip.avi"));
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::NotRegistered);
  EXPECT_THAT(host.calls, ElementsAre("register clip.avi"));
  EXPECT_TRUE(Doc().sources.empty());
  EXPECT_FALSE(Doc().IsModified());
}

TEST_F(CollectionFixture, APathAlreadyCollectedIsWarnedAboutButAnotherCaseIsAnotherFile) {
  const std::string lower = MovieFile("a.avi");
  const std::string upper = MovieFile("A.avi");
  project.ui.openAnswers = {lower, lower, upper};
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::Added);
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::Duplicate);
  ASSERT_EQ(project.ui.messages.size(), 1u);
  EXPECT_EQ(project.ui.messages[0].text, "File " + lower + " \nwas already opened in Clip Collection");
  EXPECT_EQ(project.ui.messages[0].caption, "Open Clip");
  EXPECT_EQ(project.ui.messages[0].icon, MessageIcon::Warning);
  // On Linux A.avi and a.avi are two files.
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::Added);
  EXPECT_THAT(Paths(), ElementsAre(lower, upper));
  EXPECT_EQ(project.ui.messages.size(), 1u);
}

TEST_F(CollectionFixture, DeletingAnUnusedSourceAsksOnceAndKeepsTheFileAndTheHistory) {
  CSrc& keep = project.AddSource("/media/keep.avi", 1000.0, kMovie);
  CSrc& gone = project.AddSource("/media/clips/gone.wav", 1000.0, SourceFlags::MovieFile | SourceFlags::AudioStream);
  Clip(0, keep, 0.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  Doc().RecordUndo(UndoKind::Delete);
  commands.Rebuild();
  EXPECT_FALSE(commands.CanDeleteSourceFile());
  SelectRowOf(gone);
  ASSERT_TRUE(commands.CanDeleteSourceFile());

  project.ui.messageAnswers.push_back(MessageAnswer::No);
  EXPECT_FALSE(commands.DeleteSourceFile());
  EXPECT_EQ(Doc().sources.size(), 2u);

  project.ui.messageAnswers.push_back(MessageAnswer::Yes);
  EXPECT_TRUE(commands.DeleteSourceFile());
  ASSERT_EQ(project.ui.messages.size(), 2u);
  EXPECT_EQ(project.ui.messages[1].text, "Delete file: gone.wav in folder:\n/media/clips ?");
  EXPECT_EQ(project.ui.messages[1].caption, "Delete File From Clip Collection");
  EXPECT_EQ(project.ui.messages[1].icon, MessageIcon::Question);
  EXPECT_EQ(project.ui.messages[1].buttons, MessageButtons::YesNo);
  EXPECT_THAT(Paths(), ElementsAre("/media/keep.avi"));
  EXPECT_THAT(host.calls, ElementsAre("forget gone.wav", "repaint 6"));
  EXPECT_TRUE(Doc().undoHistory.CanUndo());
  EXPECT_EQ(list.RowCount(), 1);
  project.ExpectConsistent({&keep});
}

TEST_F(CollectionFixture, DeletingASourceUsedByLinkedClipsRemovesThemAndEmptiesTheHistory) {
  CSrc& used = project.AddSource("/media/used.avi", 10000.0, kMovie);
  CSrc& other = project.AddSource("/media/other.avi", 10000.0, kMovie);
  CFilm& picture = Clip(0, used, 0.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  CFilm& sound = Clip(2, used, 0.0, SourceFlags::AudioStream | SourceFlags::MovieFile);
  CFilm::Link(picture, sound);
  Clip(1, used, 5000.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  CFilm& otherPicture = Clip(0, other, 2000.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  CFilm::Link(otherPicture, picture);  // a survivor linked to a removed clip
  // Copies keep their home tracks and stay linked to each other.
  Doc().timeline.clipboard = CopyKeepingLinks({&picture, &otherPicture});
  Doc().RecordUndo(UndoKind::Delete);
  ASSERT_TRUE(Doc().undoHistory.CanUndo());
  commands.Rebuild();
  SelectRowOf(used);

  project.ui.messageAnswers.push_back(MessageAnswer::No);
  EXPECT_FALSE(commands.DeleteSourceFile());
  EXPECT_EQ(Doc().timeline.ClipCount(), 4);
  EXPECT_TRUE(Doc().undoHistory.CanUndo());

  project.ui.messageAnswers.push_back(MessageAnswer::Yes);
  EXPECT_TRUE(commands.DeleteSourceFile());
  EXPECT_EQ(project.ui.messages.back().text,
            "Deleting of the this file: used.avi\n in folder:/media\nchanges current project.\nDelete file ?");
  EXPECT_EQ(Doc().timeline.ClipCount(), 1);
  EXPECT_EQ(project.Track(0).clips.at(0).get(), &otherPicture);
  EXPECT_THAT(otherPicture.links, IsEmpty());  // its link to a removed clip went with it
  ASSERT_EQ(Doc().timeline.clipboard.size(), 1u);  // the other movie's copy stays
  EXPECT_THAT(Doc().timeline.clipboard.front()->links, IsEmpty());
  EXPECT_FALSE(Doc().undoHistory.CanUndo());
  EXPECT_EQ(Doc().undoHistory.EntryCount(), 0u);
  EXPECT_THAT(Paths(), ElementsAre("/media/other.avi"));
  EXPECT_EQ(other.usageCount, 1);
  project.ExpectConsistent({&other});
}

TEST_F(CollectionFixture, DeletingAnUnusedSourceThatUndoCouldBringBackEmptiesTheHistory) {
  CSrc& source = project.AddSource("/media/was-used.avi", 1000.0, kMovie);
  CFilm& clip = Clip(0, source, 0.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  Doc().RecordUndo(UndoKind::Delete);
  --source.usageCount;
  project.Track(0).Remove(clip);
  commands.Rebuild();
  SelectRowOf(source);
  project.ui.messageAnswers.push_back(MessageAnswer::Yes);
  ASSERT_TRUE(commands.DeleteSourceFile());
  EXPECT_EQ(project.ui.messages.back().text, "Delete file: was-used.avi in folder:\n/media ?");
  EXPECT_FALSE(Doc().undoHistory.CanUndo());
}

TEST_F(CollectionFixture, LiveSourcesAndAnEmptySelectionAreNotDeleted) {
  CSrc& live = project.AddSource("/live/camera", 0.0, SourceFlags::LiveSource | SourceFlags::VideoStream);
  commands.Rebuild();
  EXPECT_FALSE(commands.DeleteSourceFile());
  SelectRowOf(live);
  EXPECT_FALSE(commands.DeleteSourceFile());
  EXPECT_TRUE(project.ui.messages.empty());
  EXPECT_EQ(Doc().sources.size(), 1u);
}

TEST_F(CollectionFixture, SelectingTheClipsOfTheFocusedSourceDeselectsTheOthers) {
  CSrc& a = project.AddSource("/media/a.avi", 10000.0, kMovie);
  CSrc& b = project.AddSource("/media/b.avi", 10000.0, kMovie);
  commands.Rebuild();
  SelectRowOf(a);
  EXPECT_FALSE(commands.CanSelectClipsOfSource());  // no clips yet
  CFilm& ofA = Clip(0, a, 0.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  CFilm& ofB = Clip(1, b, 0.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  ofB.selection = 1;
  ASSERT_TRUE(commands.CanSelectClipsOfSource());
  EXPECT_TRUE(commands.SelectClipsOfSource());
  EXPECT_TRUE(ofA.IsSelected());
  EXPECT_FALSE(ofB.IsSelected());
  EXPECT_EQ(commands.PropertiesSource(), &a);
}

TEST_F(CollectionFixture, DragCarriesEverySelectedRowInListOrder) {
  CSrc& a = project.AddSource("/media/a.avi", 10000.0, kMovie);
  CSrc& b = project.AddSource("/media/bb.avi", 10000.0, kMovie);
  project.AddSource("/media/c.avi", 10000.0, kMovie);
  commands.Rebuild();
  list.SetSelected(list.RowOf(b), true);
  list.SetSelected(list.RowOf(a), true);
  const auto payload = commands.BeginDrag(list.RowOf(b));
  ASSERT_TRUE(payload);
  EXPECT_EQ(*payload, *BuildClipListPayload({"/media/a.avi", "/media/bb.avi"}));
  EXPECT_THAT(list.DraggedRows(), ElementsAre(0, 1));
  commands.EndDrag();

  // Dragging an unselected row drags it alone.
  const auto single = commands.BeginDrag(2);
  ASSERT_TRUE(single);
  EXPECT_EQ(ParseSourceDragPayload(*single)->paths, std::vector<std::string>{"/media/c.avi"});
}

// The board fits every picture into the output: a movie of another frame
// size than the project's drags like any other; only nothing placeable stops.
TEST_F(CollectionFixture, DragOfAMovieOfAnyFrameSizeStartsButNothingPlaceableDoesNot) {
  CSrc& placed = project.AddSource("/media/pal.avi", 10000.0, kMovie);
  placed.frameWidth = 720;
  placed.frameHeight = 576;
  CSrc& small = project.AddSource("/media/small.avi", 10000.0, kMovie);
  small.frameWidth = 320;
  small.frameHeight = 240;
  CSrc& nothing = project.AddSource("/media/empty.avi", 10000.0, SourceFlags::MovieFile);
  commands.Rebuild();
  Clip(0, placed, 0.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  EXPECT_TRUE(commands.BeginDrag(list.RowOf(small)));
  EXPECT_TRUE(list.RowDragUnderWay());
  commands.EndDrag();
  EXPECT_TRUE(project.ui.messages.empty());

  EXPECT_FALSE(commands.BeginDrag(list.RowOf(nothing)));
  EXPECT_TRUE(project.ui.messages.empty());
  EXPECT_FALSE(commands.BeginDrag(7));
}

TEST_F(CollectionFixture, DroppingTheListsOwnRowsIsRefusedOntoThemAndElsewhere) {
  for (const char* name : {"/m/0.avi", "/m/1.avi", "/m/2.avi", "/m/3.avi"}) project.AddSource(name, 1000.0, kMovie);
  commands.Rebuild();
  list.SetSelected(0, true);
  list.SetSelected(2, true);
  const auto payload = commands.BeginDrag(0);
  ASSERT_TRUE(payload);

  list.SetDropHighlight(1);
  EXPECT_EQ(commands.Drop(*payload, 1), DropOutcome::OntoItself);
  EXPECT_EQ(list.DropHighlight(), -1);
  EXPECT_EQ(commands.Drop(*payload, 3), DropOutcome::NotDefined);
  EXPECT_THAT(project.ui.MessageTexts(),
              ElementsAre("An item can't be dropped onto itself", "List -- Source control not defined"));
  EXPECT_EQ(Doc().sources.size(), 4u);
}

TEST_F(CollectionFixture, AFileFromTheFileViewerIsAddedOnceAndAgainSilentlyIgnored) {
  const std::string path = MovieFile("dropped.avi");
  const auto payload = BuildFileViewerPayload(path);
  ASSERT_TRUE(payload);
  EXPECT_EQ(commands.Drop(*payload, -1), DropOutcome::Added);
  EXPECT_THAT(Paths(), ElementsAre(path));

  EXPECT_EQ(commands.Drop(*payload, 0), DropOutcome::AlreadyCollected);
  EXPECT_EQ(Doc().sources.size(), 1u);
  EXPECT_TRUE(project.ui.messages.empty());

  auto truncated = *payload;
  truncated.pop_back();
  EXPECT_EQ(commands.Drop(truncated, 0), DropOutcome::Malformed);
  EXPECT_EQ(commands.Drop({}, 0), DropOutcome::NotDefined);
  EXPECT_EQ(commands.Drop(*BuildFileViewerPayload(dir.File("none.avi")), 0), DropOutcome::NotAdded);
  EXPECT_EQ(Doc().sources.size(), 1u);
}

// Whichever way a file comes, a file the board refuses is answered with why.
TEST_F(CollectionFixture, AFileTheBoardCannotUseIsAnsweredWithTheReasonByDialogDropAndFileViewer) {
  project.board.Config().results["IKlpPlayMovie::OpenFile"] = KlpBadFormat;
  const std::string text = dir.WriteFile("notes.mp4", "not a movie at all\n");
  // An AVI whose header stops after its first list: recognisably media, unreadable.
  const std::string cut = dir.WriteFile("cut.avi", std::string("RIFF\x00\x10\x00\x00" "AVI LIST\x00\x10\x00\x00hdrl", 24));

  project.ui.openAnswers.push_back(text);
  EXPECT_EQ(commands.AddSourceFile(), AddSourceOutcome::NotReadable);
  EXPECT_EQ(commands.Drop(*BuildFileViewerPayload(cut), 0), DropOutcome::NotAdded);
  EXPECT_EQ(commands.AddSourceFromPath(text, true), AddSourceOutcome::NotReadable);

  EXPECT_TRUE(Doc().sources.empty());
  ASSERT_EQ(project.ui.messages.size(), 3u);
  EXPECT_EQ(project.ui.messages[0].text, "Can't use the file " + text + ":\nno picture or sound stream.");
  EXPECT_EQ(project.ui.messages[1].text, "Can't use the file " + cut + ":\ndamaged file.");
  EXPECT_EQ(project.ui.messages[2].text, project.ui.messages[0].text);
  for (const auto& message : project.ui.messages) EXPECT_EQ(message.icon, MessageIcon::Warning);
}

// Any name: the movie component decides what a movie is.
TEST_F(CollectionFixture, AMovieOfAnyNameIsAdded) {
  for (const char* name : {"phone.MP4", "camera.mts", "song.flac", "no_extension"}) {
    const std::string path = MovieFile(name, 1920, 1080);
    EXPECT_EQ(commands.AddSourceFromPath(path, true), AddSourceOutcome::Added) << name;
  }
  EXPECT_EQ(Doc().sources.size(), 4u);
  EXPECT_TRUE(project.ui.messages.empty());
}

}  // namespace
}  // namespace vantorelle
