// The project document: what it is made from on a first and a later run,
// what it saves, New project, clearing, track numbers, ruler steps and
// undo with usage counts.
#include "document/vantorelle_doc.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "document/settings_values.h"
#include "support/fake_board.h"
#include "support/scripted_user_interface.h"
#include "support/timeline_fixtures.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::PlaceClip;

class RecordingViews : public IDocumentViews {
 public:
  void ReleaseMovieMap() override { calls.push_back("ReleaseMovieMap"); }
  void ClearFramePictures() override { calls.push_back("ClearFramePictures"); }
  void Repaint(std::uint32_t mask) override { calls.push_back("Repaint " + std::to_string(mask)); }
  void TrackCountChanged(int count) override { calls.push_back("TrackCountChanged " + std::to_string(count)); }
  void RedrawTrackHeaders() override { calls.push_back("RedrawTrackHeaders"); }
  void LayOutTracks(std::int32_t first) override { calls.push_back("LayOutTracks " + std::to_string(first)); }
  void PlaceMainWindowByDefault() override { calls.push_back("PlaceMainWindowByDefault"); }
  void FollowDocument() override { calls.push_back("FollowDocument"); }
  std::vector<std::string> calls;
};

class RecordingShortcuts : public IDocumentShortcutTable {
 public:
  explicit RecordingShortcuts(std::vector<std::string>& log) : log_(log) {}
  void LoadOrBuildDefault(const ISettingsStore&, bool firstRun) override {
    log_.push_back(firstRun ? "built-in" : "loaded");
  }
  void Save(ISettingsStore&) override { log_.push_back("saved"); }

 private:
  std::vector<std::string>& log_;
};

struct DocumentFixture : ::testing::Test {
  std::unique_ptr<CVantorelleDoc> MakeDocument(bool firstRun) {
    auto doc = std::make_unique<CVantorelleDoc>(DocumentServices{
        store, firstRun, ui, board, std::make_unique<RecordingShortcuts>(shortcutLog)});
    doc->AttachViews(&views);
    return doc;
  }
  std::vector<std::string> TrackNames(const CVantorelleDoc& doc) {
    std::vector<std::string> names;
    for (const auto& track : doc.timeline.tracks) names.push_back(track->name);
    return names;
  }
  CSrc& AddSource(CVantorelleDoc& doc, const std::string& path) {
    doc.sources.push_back(std::make_unique<CSrc>(path, path.substr(path.find_last_of('/') + 1)));
    doc.sources.back()->duration = 4000.0;
    return *doc.sources.back();
  }

  testing::VideoStandardScope pal{VideoStandard{}};
  MemorySettingsStore store;
  testing::ScriptedUserInterface ui;
  testing::FakeComponentFactory board;
  RecordingViews views;
  std::vector<std::string> shortcutLog;
};

TEST_F(DocumentFixture, FirstRunBuildsDefaultsAndLeavesEverySectionForTheNext) {
  auto doc = MakeDocument(true);
  EXPECT_THAT(TrackNames(*doc), ElementsAre("Video track number 1", "Video track number 2", "Audio track number 1",
                                            "Audio track number 2", "Title track(slide) number 1",
                                            "Title track(movable) number 1"));
  EXPECT_EQ(doc->timeline.tracks[4]->type, 0x40020u);
  EXPECT_EQ(doc->timeline.tracks[5]->maxSpeed, 1.0);
  EXPECT_EQ(doc->times.projectSize, 20000.0);
  EXPECT_EQ(doc->timeline.workArea, (WorkArea{11000.0, 14000.0}));
  EXPECT_EQ(doc->preferences.playbackStartType, 1);
  EXPECT_EQ(doc->undoHistory.Depth(), 100);
  EXPECT_EQ(doc->rulerSteps.size(), 28u);
  EXPECT_THAT(doc->stillImages.extensions, ElementsAre("bmp", "jpg", "png"));
  EXPECT_THAT(doc->movieFiles.extensions, ElementsAre("avi", "mp4", "wav"));
  ASSERT_EQ(doc->sourceDialogFilters.size(), 5u);
  // Every type the board reports comes first, then the filters as they were.
  EXPECT_EQ(doc->sourceDialogFilters[0],
            (std::pair<std::string, std::string>{"All media files", "*.avi;*.mp4;*.wav;*.bmp;*.jpg;*.png"}));
  EXPECT_EQ(doc->sourceDialogFilters[1].first, "AVI files(*.AVI)");
  EXPECT_EQ(doc->sourceDialogFilters[3],
            (std::pair<std::string, std::string>{"Image Files(*.bmp;*.jpg;*.png)", "*.bmp;*.jpg;*.png"}));
  EXPECT_EQ(doc->sourceDialogFilters[4], (std::pair<std::string, std::string>{"All files(*.*)", "*.*"}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_THAT(shortcutLog, ElementsAre("built-in"));

  doc->times.projectSize = 45000.0;
  doc->timeline.tracks.pop_back();
  doc.reset();
  EXPECT_THAT(shortcutLog, ElementsAre("built-in", "saved"));
  EXPECT_TRUE(store.SettingsKeyExists());
  for (const char* section : {"Document", "Tracks Array", "SrcCollection FwrDirs"}) {
    EXPECT_TRUE(store.SectionExists(section)) << section;
  }

  // The next run starts from what the last one ended with.
  auto next = MakeDocument(false);
  EXPECT_EQ(next->times.projectSize, 45000.0);
  EXPECT_EQ(next->timeline.tracks.size(), 5u);
  EXPECT_EQ(next->timeline.tracks[2]->height, 96);
}

TEST_F(DocumentFixture, StoredEmptyTrackListAndBadFilterAreHonoured) {
  WriteSettingsNumber(store, "Tracks Array", "Track Array Count", 0);
  board.Config().results["Create:IKlpPlayTitleImage"] = KlpClassNotRegistered;
  auto doc = MakeDocument(false);
  EXPECT_TRUE(doc->timeline.tracks.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Error -- CoCreateInstance failed");
  ASSERT_EQ(doc->sourceDialogFilters.size(), 4u);  // all media, AVI, WAV and all files only
  EXPECT_EQ(doc->sourceDialogFilters[0].second, "*.avi;*.mp4;*.wav");
  EXPECT_EQ(doc->sourceDialogFilters[2].first, "Wave files(*.WAV)");
}

TEST_F(DocumentFixture, NewProjectKeepsTracksAndPreferencesAndDropsTheContents) {
  auto doc = MakeDocument(true);
  CSrc& source = AddSource(*doc, "/media/a.avi");
  PlaceClip(*doc->timeline.tracks[0], 0.0, 1000.0, SourceFlags::VideoStream, &source);
  doc->timeline.marks.emplace_back(500.0);
  doc->favouriteDirectories.push_back({"/media", "Media", 0});
  doc->times.rangeStart = 1000.0;
  doc->times.rangeStop = 3000.0;
  doc->RecordUndo(UndoKind::Paste);
  EXPECT_TRUE(doc->IsModified());
  views.calls.clear();

  doc->NewProject();
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->timeline.tracks.size(), 6u);
  EXPECT_EQ(doc->timeline.ClipCount(), 0);
  EXPECT_TRUE(doc->sources.empty());
  EXPECT_TRUE(doc->timeline.marks.empty());
  EXPECT_TRUE(doc->favouriteDirectories.empty());
  EXPECT_FALSE(doc->undoHistory.CanUndo());
  EXPECT_EQ(doc->times.rangeStart, 1000.0);
  EXPECT_EQ(doc->times.rangeStop, 3000.0);
  EXPECT_THAT(views.calls, ElementsAre("ReleaseMovieMap", "ClearFramePictures", "Repaint 4"));
}

TEST_F(DocumentFixture, ClearingWaitsForTheMainWindowAndModeTwoTakesTheTracks) {
  auto doc = MakeDocument(true);
  doc->AttachViews(nullptr);
  AddSource(*doc, "/media/a.avi");
  doc->NewProject();  // at start-up, before the main window: nothing goes
  EXPECT_EQ(doc->sources.size(), 1u);

  doc->AttachViews(&views);
  doc->zoomLadder.emplace_back(0.0, 1000.0);
  doc->ClearContents(2);
  EXPECT_TRUE(doc->timeline.tracks.empty());
  EXPECT_TRUE(doc->zoomLadder.empty());
  EXPECT_TRUE(doc->sources.empty());

  views.calls.clear();
  doc->times.projectSize = 90000.0;
  doc->ResetToEmptyProject();
  EXPECT_EQ(doc->timeline.tracks.size(), 6u);
  EXPECT_EQ(doc->times.projectSize, 20000.0);
  EXPECT_THAT(views.calls, ElementsAre("PlaceMainWindowByDefault", "LayOutTracks 0", "TrackCountChanged 6",
                                       "FollowDocument", "Repaint 30"));
}

TEST_F(DocumentFixture, TrackNumbersAddInKindOrderRemoveFromTheEndAndRefuseClips) {
  auto doc = MakeDocument(true);
  ASSERT_TRUE(doc->SetTrackNumbers({4, 0, 0, 0}, false));
  EXPECT_EQ(CountTracksOfKind(doc->timeline, TrackKind::Video), 4);
  EXPECT_EQ(doc->timeline.tracks[3]->name, "Video track number 4");
  EXPECT_EQ(doc->timeline.tracks[3]->height, 48);
  EXPECT_EQ(doc->timeline.tracks[4]->name, "Audio track number 1");

  doc->timeline.clipboard.push_back(std::make_unique<CFilm>());
  doc->timeline.clipboard.back()->track = doc->timeline.tracks[0].get();
  doc->RecordUndo(UndoKind::Paste);
  views.calls.clear();
  ASSERT_TRUE(doc->SetTrackNumbers({2, 2, 0, 0}, false));
  EXPECT_THAT(TrackNames(*doc), ElementsAre("Video track number 1", "Video track number 2",
                                            "Video track(Alfa) number 1", "Video track(Alfa) number 2",
                                            "Audio track number 1", "Audio track number 2",
                                            "Title track(slide) number 1", "Title track(movable) number 1"));
  EXPECT_EQ(doc->timeline.tracks[2]->shown, 1);  // its group is shown
  EXPECT_TRUE(doc->timeline.clipboard.empty());
  EXPECT_FALSE(doc->undoHistory.CanUndo());
  EXPECT_THAT(views.calls, ElementsAre("TrackCountChanged 8", "RedrawTrackHeaders", "LayOutTracks 0", "Repaint 30"));

  views.calls.clear();
  ASSERT_TRUE(doc->SetTrackNumbers({0, 0, 0, 0}, false));  // nothing changes
  EXPECT_EQ(doc->timeline.tracks.size(), 8u);
  EXPECT_THAT(views.calls, ElementsAre("RedrawTrackHeaders", "LayOutTracks 0", "Repaint 30"));

  // Clips on the second audio track: one audio track would delete them.
  PlaceClip(*doc->timeline.tracks[5], 0.0, 100.0, SourceFlags::AudioStream);
  doc->timeline.tracks[0]->playState = PlayState::Solo;
  EXPECT_FALSE(doc->SetTrackNumbers({1, 0, 0, 1}, true));
  EXPECT_THAT(ui.MessageTexts(),
              ElementsAre("Can't change tracks number, because there are some clips on deleted tracks"));
  EXPECT_EQ(ui.messages[0].caption, "Change tracks number");
  EXPECT_EQ(doc->timeline.tracks.size(), 8u);
  EXPECT_EQ(doc->timeline.tracks[0]->playState, PlayState::Solo);

  ASSERT_TRUE(doc->SetTrackNumbers({1, 0, 0, 2}, true));  // clips only on kept tracks
  EXPECT_EQ(doc->timeline.tracks[0]->name, "Video track number 1");
  EXPECT_EQ(CountTracksOfKind(doc->timeline, TrackKind::Video), 1);
  EXPECT_EQ(doc->timeline.tracks[0]->playState, PlayState::Normal);  // exclusive solo resets play states
  EXPECT_EQ(doc->preferences.exclusiveSolo, 1);
  EXPECT_TRUE(CheckTimelineConsistency(doc->timeline).empty());
}

TEST_F(DocumentFixture, RulerStepsFollowTheTimeDisplayMode) {
  auto doc = MakeDocument(true);
  EXPECT_EQ(doc->rulerSteps.front(), 1.0);
  EXPECT_EQ(doc->rulerSteps.back(), 36000000.0);
  doc->SetTimeDisplayMode(1);
  ASSERT_EQ(doc->rulerSteps.size(), 21u);
  EXPECT_EQ((std::vector<double>(doc->rulerSteps.begin(), doc->rulerSteps.begin() + 6)),
            (std::vector<double>{40, 80, 200, 400, 800, 2000}));
  EXPECT_EQ(doc->rulerSteps[18], 40000000.0);  // a million frames
  doc->SetTimeDisplayMode(7);
  EXPECT_TRUE(doc->rulerSteps.empty());
}

TEST_F(DocumentFixture, UndoAndRedoRecountSourceUsage) {
  auto doc = MakeDocument(true);
  CSrc& used = AddSource(*doc, "/media/a.avi");
  CSrc& other = AddSource(*doc, "/media/b.wav");
  PlaceClip(*doc->timeline.tracks[0], 0.0, 100.0, SourceFlags::VideoStream, &used);
  used.usageCount = 1;
  doc->RecordUndo(UndoKind::Paste);
  PlaceClip(*doc->timeline.tracks[2], 0.0, 100.0, SourceFlags::AudioStream, &other);
  PlaceClip(*doc->timeline.tracks[3], 0.0, 100.0, SourceFlags::AudioStream, &other);
  other.usageCount = 2;

  doc->SetModified(false);
  doc->Undo();
  EXPECT_EQ(used.usageCount, 1);
  EXPECT_EQ(other.usageCount, 0);
  EXPECT_TRUE(doc->IsModified());
  doc->Redo();
  EXPECT_EQ(other.usageCount, 2);
  std::vector<const CSrc*> sources{&used, &other};
  EXPECT_TRUE(CheckTimelineConsistency(doc->timeline, sources).empty());
  doc->Redo();  // nothing to redo: no change
  EXPECT_EQ(other.usageCount, 2);
}

TEST_F(DocumentFixture, SourcesAreFoundByExactPathAndTheProjectPathGivesItsFolder) {
  auto doc = MakeDocument(true);
  CSrc& source = AddSource(*doc, "/media/Clip.avi");
  EXPECT_EQ(doc->FindSourceByPath("/media/Clip.avi"), &source);
  EXPECT_EQ(doc->FindSourceByPath("/media/clip.avi"), nullptr);
  doc->SetProjectPath("/home/ed/projects/news.vrp");
  EXPECT_EQ(doc->ProjectDirectory(), "/home/ed/projects");
  doc->SetProjectPath("C:\\Work\\news.vrp");
  EXPECT_EQ(doc->ProjectDirectory(), "C:\\Work");
}

TEST(DocumentViews, DefaultWindowTakesNineteenTwentiethsCentred) {
  EXPECT_EQ(DefaultMainWindowRect({0, 0, 1920, 1050}), (PixelRect{48, 26, 1872, 1023}));
  EXPECT_EQ(DefaultMainWindowRect({100, 0, 1101, 21}), (PixelRect{125, 1, 1075, 20}));
}

}  // namespace
}  // namespace vantorelle
