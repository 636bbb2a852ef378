// The "Settings" dialog's pages: what they show of the document, the
// corrections made while typing, the track-number refusal, the OK
// normalisation and what applying each page changes, in order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "document/settings_dialog.h"
#include "support/document_fixture.h"
#include "support/timeline_fixtures.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::PlaceClip;

// Views and the directory view write to one log, so the order of what OK
// tells them shows.
class LoggingViews : public IDocumentViews, public IDirectoryViewFilter {
 public:
  void ReleaseMovieMap() override { calls.push_back("ReleaseMovieMap"); }
  void ClearFramePictures() override { calls.push_back("ClearFramePictures"); }
  void Repaint(std::uint32_t mask) override { calls.push_back("Repaint " + std::to_string(mask)); }
  void TrackCountChanged(int count) override { calls.push_back("TrackCountChanged " + std::to_string(count)); }
  void RedrawTrackHeaders() override { calls.push_back("RedrawTrackHeaders"); }
  void LayOutTracks(std::int32_t first) override { calls.push_back("LayOutTracks " + std::to_string(first)); }
  void PlaceMainWindowByDefault() override { calls.push_back("PlaceMainWindowByDefault"); }
  void FollowDocument() override { calls.push_back("FollowDocument"); }
  void ApplyFilterIndex(std::int32_t index) override { calls.push_back("Filter " + std::to_string(index)); }
  std::vector<std::string> calls;
};

// Default tracks: 0, 1 video; 2, 3 audio; 4 slide title; 5 movable title.
// Work area 11 s … 14 s, project size 20 s.
struct SettingsPages : ::testing::Test {
  SettingsPages() { t.doc.AttachViews(&views); }
  ~SettingsPages() override { t.doc.AttachViews(nullptr); }

  void FillUndoHistory() {
    t.doc.RecordUndo(UndoKind::Delete);
    t.doc.RecordUndo(UndoKind::Cut);
    ASSERT_GT(t.doc.undoHistory.EntryCount(), 0u);
  }

  testing::TestDocument t;
  LoggingViews views;
};

// --- Project page -----------------------------------------------------------

TEST_F(SettingsPages, ProjectPageShowsTheDocumentAndItsHiddenLimits) {
  t.doc.preferences.exclusiveSolo = 1;
  auto& alpha = t.doc.timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::VideoAlfa, 48));
  PlaceClip(alpha, 1000.0, 500.0);
  PlaceClip(t.Track(4), 20000.0, 5000.0, SourceFlags::AudioStream);  // the second audio track
  PlaceClip(t.Track(5), 0.0, 26000.0);  // slide title: the latest end

  const CSettings_ProjectPage page(t.doc);
  EXPECT_EQ(page.ProjectSizeText(), "00:00:20:000");
  EXPECT_EQ(page.StartText(), "00:00:11:000");
  EXPECT_EQ(page.StopText(), "00:00:14:000");
  EXPECT_EQ(page.SizeText(), "00:00:03:000");
  EXPECT_TRUE(page.ExclusiveSolo());
  EXPECT_EQ(page.Numbers().video, 2);
  EXPECT_EQ(page.Numbers().alphaVideo, 1);
  EXPECT_EQ(page.Numbers().bVideo, 0);
  EXPECT_EQ(page.Numbers().audio, 2);
  EXPECT_EQ(page.LastTrackWithClips(TrackKind::Video), -1);
  EXPECT_EQ(page.LastTrackWithClips(TrackKind::VideoAlfa), 0);
  EXPECT_EQ(page.LastTrackWithClips(TrackKind::VideoB), -1);
  EXPECT_EQ(page.LastTrackWithClips(TrackKind::Audio), 1);
  EXPECT_EQ(page.LastTrackWithClips(TrackKind::TitleSlide), -1);
  EXPECT_EQ(page.MinimumProjectSize(), 26000.0);
}

TEST_F(SettingsPages, MinimumProjectSizeIsASecondAtLeast) {
  EXPECT_EQ(CSettings_ProjectPage(t.doc).MinimumProjectSize(), 1000.0);
  PlaceClip(t.Track(0), 0.0, 400.0);
  EXPECT_EQ(CSettings_ProjectPage(t.doc).MinimumProjectSize(), 1000.0);
}

TEST_F(SettingsPages, TrackNumberIsRefusedOnlyWhenATrackWithClipsWouldGo) {
  PlaceClip(t.Track(0), 0.0, 1000.0);
  CSettings_ProjectPage page(t.doc);
  EXPECT_TRUE(page.ChooseVideoTracks(1, t.ui));
  EXPECT_EQ(page.Numbers().video, 1);
  EXPECT_TRUE(t.ui.messages.empty());

  PlaceClip(t.Track(1), 0.0, 1000.0);
  CSettings_ProjectPage second(t.doc);
  EXPECT_TRUE(second.ChooseVideoTracks(4, t.ui));
  EXPECT_FALSE(second.ChooseVideoTracks(1, t.ui));
  EXPECT_EQ(second.Numbers().video, 4) << "the list goes back to the number it had";
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0].text, "Can't change tracks number, because there are some clips on deleted tracks");
  EXPECT_EQ(t.ui.messages[0].caption, "Change tracks number");
  EXPECT_EQ(t.ui.messages[0].icon, MessageIcon::Warning);
  EXPECT_TRUE(second.ChooseVideoTracks(2, t.ui));
}

TEST_F(SettingsPages, AudioNumberRefusalAndChoicesOutsideTheList) {
  PlaceClip(t.Track(3), 0.0, 1000.0, SourceFlags::AudioStream);
  CSettings_ProjectPage page(t.doc);
  EXPECT_FALSE(page.ChooseAudioTracks(1, t.ui));
  EXPECT_EQ(page.Numbers().audio, 2);
  EXPECT_EQ(t.ui.messages.size(), 1u);
  EXPECT_TRUE(page.ChooseAudioTracks(3, t.ui));

  EXPECT_FALSE(page.ChooseAudioTracks(5, t.ui));
  EXPECT_FALSE(page.ChooseVideoTracks(0, t.ui));
  EXPECT_EQ(page.Numbers().audio, 3);
  EXPECT_EQ(page.Numbers().video, 2);
  EXPECT_EQ(t.ui.messages.size(), 1u) << "numbers outside 1 … 4 are no choice and ask nothing";
}

TEST_F(SettingsPages, ProjectSizeIsClampedWhileTyping) {
  CSettings_ProjectPage page(t.doc);
  page.ChangeProjectSize("00:00:00:000");
  EXPECT_EQ(page.ProjectSizeText(), "00:00:01:000");
  page.ChangeProjectSize("25:00:00:000");
  EXPECT_EQ(page.ProjectSizeText(), "24:00:00:000");
  page.ChangeProjectSize("00:00:30:000");
  EXPECT_EQ(page.ProjectSizeText(), "00:00:30:000");

  PlaceClip(t.Track(2), 10000.0, 15000.0, SourceFlags::AudioStream);
  CSettings_ProjectPage withClip(t.doc);
  withClip.ChangeProjectSize("00:00:12:000");
  EXPECT_EQ(withClip.ProjectSizeText(), "00:00:25:000") << "snaps back to the latest clip end";
}

TEST_F(SettingsPages, WorkAreaStartAndStopKeepHalfASecondApartAndTheSizeFollows) {
  CSettings_ProjectPage page(t.doc);
  page.ChangeStart("00:00:13:800");
  EXPECT_EQ(page.StartText(), "00:00:13:500");
  EXPECT_EQ(page.SizeText(), "00:00:00:500");
  page.ChangeStart("00:00:02:000");
  EXPECT_EQ(page.StartText(), "00:00:02:000");
  EXPECT_EQ(page.SizeText(), "00:00:12:000");

  page.ChangeStop("00:00:02:100");
  EXPECT_EQ(page.StopText(), "00:00:02:500");
  EXPECT_EQ(page.SizeText(), "00:00:00:500");
  page.ChangeStop("00:00:21:000");
  EXPECT_EQ(page.StopText(), "00:00:20:000") << "not beyond the project size";
  EXPECT_EQ(page.SizeText(), "00:00:18:000");

  page.ChangeProjectSize("00:01:00:000");
  page.ChangeStop("00:00:45:000");
  EXPECT_EQ(page.StopText(), "00:00:45:000") << "the stop's limit is the project size as typed";
}

TEST_F(SettingsPages, StartStaysAtZeroWhenTheStopIsWithinHalfASecond) {
  t.doc.timeline.workArea = WorkArea{0.0, 300.0};
  CSettings_ProjectPage page(t.doc);
  page.ChangeStart("00:00:00:200");
  EXPECT_EQ(page.StartText(), "00:00:00:000");
}

TEST_F(SettingsPages, OkBringsTheStopBackWithinASmallerProjectSize) {
  CSettings_ProjectPage page(t.doc);
  page.ChangeProjectSize("00:00:12:000");
  page.Normalise();
  EXPECT_EQ(page.ProjectSizeText(), "00:00:12:000");
  EXPECT_EQ(page.StopText(), "00:00:12:000");
  EXPECT_EQ(page.StartText(), "00:00:11:000") << "a start below the size stays";
  EXPECT_EQ(page.SizeText(), "00:00:01:000");

  CSettings_ProjectPage beyond(t.doc);
  beyond.ChangeProjectSize("00:00:11:000");
  beyond.Normalise();
  EXPECT_EQ(beyond.StopText(), "00:00:11:000");
  EXPECT_EQ(beyond.StartText(), "00:00:00:000") << "a start not below the size goes to 0";
  EXPECT_EQ(beyond.SizeText(), "00:00:11:000");

  CSettings_ProjectPage within(t.doc);
  within.Normalise();
  EXPECT_EQ(within.StartText(), "00:00:11:000");
  EXPECT_EQ(within.StopText(), "00:00:14:000");
}

TEST_F(SettingsPages, ProjectSizeZeroBecomesOneSecond) {
  SettingsDialogModel dialog(t.doc);
  dialog.Project().ChangeProjectSize("00:00:00:000");
  dialog.Ok(t.doc);
  EXPECT_EQ(t.doc.times.projectSize, 1000.0);
  EXPECT_EQ(t.doc.timeline.workArea, (WorkArea{0.0, 1000.0}));
}

TEST_F(SettingsPages, ApplyingTheProjectPageStoresTimesAndEmptiesClipboardAndHistory) {
  FillUndoHistory();
  t.doc.timeline.clipboard.push_back(std::make_unique<CFilm>());
  CSettings_ProjectPage page(t.doc);
  page.ChangeProjectSize("00:00:40:000");
  page.ChangeStop("00:00:30:000");
  page.ChangeStart("00:00:05:000");
  page.Normalise();
  page.Apply(t.doc, 2);

  EXPECT_EQ(t.doc.preferences.settingsPageIndex, 2);
  EXPECT_EQ(t.doc.times.projectSize, 40000.0);
  EXPECT_EQ(t.doc.timeline.workArea, (WorkArea{5000.0, 30000.0}));
  EXPECT_TRUE(t.doc.timeline.clipboard.empty()) << "even with no number changed";
  EXPECT_EQ(t.doc.undoHistory.EntryCount(), 0u);
  EXPECT_EQ(t.doc.timeline.tracks.size(), 6u);
  EXPECT_THAT(views.calls, ElementsAre("FollowDocument", "RedrawTrackHeaders", "LayOutTracks 0", "Repaint 30"));
}

TEST_F(SettingsPages, ApplyingExclusiveSoloResetsPlayStatesAndNumbersChangeTracks) {
  t.Track(0).playState = PlayState::Solo;
  t.Track(2).playState = PlayState::Mute;
  CSettings_ProjectPage page(t.doc);
  page.SetExclusiveSolo(true);
  ASSERT_TRUE(page.ChooseVideoTracks(3, t.ui));
  ASSERT_TRUE(page.ChooseAudioTracks(1, t.ui));
  page.Apply(t.doc, 0);

  EXPECT_EQ(t.doc.preferences.exclusiveSolo, 1);
  std::vector<std::string> names;
  for (const auto& track : t.doc.timeline.tracks) {
    names.push_back(track->name);
    EXPECT_EQ(track->playState, PlayState::Normal) << track->name;
  }
  EXPECT_THAT(names, ElementsAre("Video track number 1", "Video track number 2", "Video track number 3",
                                 "Audio track number 1", "Title track(slide) number 1",
                                 "Title track(movable) number 1"));
  EXPECT_THAT(views.calls, ElementsAre("FollowDocument", "TrackCountChanged 6", "RedrawTrackHeaders",
                                       "LayOutTracks 0", "Repaint 30"));
}

TEST_F(SettingsPages, ExclusiveSoloOffKeepsPlayStates) {
  t.doc.preferences.exclusiveSolo = 1;
  t.Track(0).playState = PlayState::Solo;
  CSettings_ProjectPage page(t.doc);
  page.SetExclusiveSolo(false);
  page.Apply(t.doc, 0);
  EXPECT_EQ(t.doc.preferences.exclusiveSolo, 0);
  EXPECT_EQ(t.Track(0).playState, PlayState::Solo);
}

// --- General page -----------------------------------------------------------

TEST_F(SettingsPages, GeneralPageShowsPreferencesDurationsAndFilterDescriptions) {
  t.doc.preferences.undoDepth = 40;
  t.doc.preferences.playbackStartType = 0;
  t.doc.preferences.pickRedLine = 1;
  t.doc.preferences.pillarcastCompatible = 1;
  t.doc.preferences.dirViewFilterIndex = 1;  // Wave, as stored before all media files led the list
  t.doc.sourceDialogFilters = {{"All media files", "*.avi;*.wav"},
                               {"AVI files(*.AVI)", "*.AVI"},
                               {"Wave files(*.WAV)", "*.WAV"},
                               {"All files(*.*)", "*.*"}};

  const CSettings_GeneralPage page(t.doc);
  EXPECT_EQ(page.UndoDepth(), 40);
  EXPECT_EQ(page.PlaybackStartType(), 0);
  EXPECT_STREQ(CSettings_GeneralPage::PlaybackStartChoices()[0], "after keyboard event");
  EXPECT_STREQ(CSettings_GeneralPage::PlaybackStartChoices()[1], "immediately");
  EXPECT_TRUE(page.PickRedLine());
  EXPECT_TRUE(page.PillarcastCompatible());
  EXPECT_EQ(page.StillImageText(), "00:00:05:000");
  EXPECT_EQ(page.LiveText(), "00:00:15:000");
  EXPECT_EQ(page.SlideShowText(), "00:00:10:000");
  EXPECT_THAT(page.DirViewFilters(),
              ElementsAre("All media files", "AVI files(*.AVI)", "Wave files(*.WAV)", "All files(*.*)"));
  EXPECT_EQ(page.DirViewFilterIndex(), 2) << "the position of Wave in the list";
}

TEST_F(SettingsPages, GeneralChoicesOutsideTheirListsAreIgnored) {
  t.doc.sourceDialogFilters = {{"AVI files(*.AVI)", "*.AVI"}, {"All files(*.*)", "*.*"}};
  CSettings_GeneralPage page(t.doc);
  EXPECT_FALSE(page.ChooseDirViewFilter(2));
  EXPECT_FALSE(page.ChooseDirViewFilter(-1));
  EXPECT_TRUE(page.ChooseDirViewFilter(1));
  EXPECT_EQ(page.DirViewFilterIndex(), 1);
  EXPECT_FALSE(page.ChoosePlaybackStart(2));
  EXPECT_TRUE(page.ChoosePlaybackStart(0));
  EXPECT_EQ(page.PlaybackStartType(), 0);
  page.SetUndoDepth(0);
  EXPECT_EQ(page.UndoDepth(), 1);
}

TEST_F(SettingsPages, LoweringTheUndoDepthEmptiesEvenAShortHistory) {
  FillUndoHistory();
  const std::size_t entries = t.doc.undoHistory.EntryCount();
  ASSERT_LT(entries, 50u);
  CSettings_GeneralPage page(t.doc);
  page.SetUndoDepth(50);
  page.Apply(t.doc, nullptr);
  EXPECT_EQ(t.doc.undoHistory.EntryCount(), 0u);
  EXPECT_EQ(t.doc.undoHistory.Depth(), 50);
  EXPECT_EQ(t.doc.preferences.undoDepth, 50);
}

TEST_F(SettingsPages, AnUnchangedUndoDepthKeepsTheHistory) {
  FillUndoHistory();
  const std::size_t entries = t.doc.undoHistory.EntryCount();
  CSettings_GeneralPage(t.doc).Apply(t.doc, nullptr);
  EXPECT_EQ(t.doc.undoHistory.EntryCount(), entries);
  EXPECT_EQ(t.doc.undoHistory.Depth(), 100);
}

TEST_F(SettingsPages, ApplyingTheGeneralPageStoresOptionsSnappedDurationsAndTheFilter) {
  t.doc.sourceDialogFilters = {{"All media files", "*.avi;*.wav"},
                               {"AVI files(*.AVI)", "*.AVI"},
                               {"Wave files(*.WAV)", "*.WAV"},
                               {"All files(*.*)", "*.*"}};
  CSettings_GeneralPage page(t.doc);
  ASSERT_TRUE(page.ChoosePlaybackStart(0));
  page.SetPickRedLine(true);
  page.SetPillarcastCompatible(true);
  page.ChangeStillImage("00:00:03:030");
  page.ChangeLive("00:01:00:079");
  page.ChangeSlideShow("00:00:00:020");
  ASSERT_TRUE(page.ChooseDirViewFilter(3));  // all files
  page.Apply(t.doc, &views);

  EXPECT_EQ(t.doc.preferences.playbackStartType, 0);
  EXPECT_EQ(t.doc.preferences.pickRedLine, 1);
  EXPECT_EQ(t.doc.preferences.pillarcastCompatible, 1);
  EXPECT_EQ(t.doc.durations.stillImageDuration, 3000.0);
  EXPECT_EQ(t.doc.durations.liveDuration, 60040.0);
  EXPECT_EQ(t.doc.durations.slideShowDuration, 40.0) << "never below one frame";
  EXPECT_EQ(t.doc.preferences.dirViewFilterIndex, 2);
  EXPECT_THAT(views.calls, ElementsAre("Filter 2", "Repaint 30"));
}

// --- Appearance page --------------------------------------------------------

TEST_F(SettingsPages, AppearanceIndicesComeFromTheSnapshotBits) {
  EXPECT_EQ(CSettings_AppearancePage(t.doc).MovieIndex(), 2);
  EXPECT_EQ(CSettings_AppearancePage(t.doc).SingleImageIndex(), 1);
  t.doc.preferences.snapshotsType = SnapshotsType::MovieEdges | SnapshotsType::ImageNone;
  const CSettings_AppearancePage page(t.doc);
  EXPECT_EQ(page.MovieIndex(), 1);
  EXPECT_EQ(page.SingleImageIndex(), 0);
  EXPECT_EQ(page.SnapshotsType(), 0x0102);
}

TEST_F(SettingsPages, DontDrawMoviesAndDrawEveryImageFrameIs0x0201) {
  CSettings_AppearancePage page(t.doc);
  ASSERT_TRUE(page.ChooseMovie(0));
  ASSERT_TRUE(page.ChooseSingleImage(1));
  EXPECT_FALSE(page.ChooseMovie(3));
  EXPECT_FALSE(page.ChooseSingleImage(2));
  page.Apply(t.doc);
  EXPECT_EQ(t.doc.preferences.snapshotsType, 0x0201);
  EXPECT_THAT(views.calls, ElementsAre("Repaint 30"));
  EXPECT_STREQ(CSettings_AppearancePage::MovieChoices()[1], "Draw first and last frames at clip edges");
  EXPECT_STREQ(CSettings_AppearancePage::SingleImageChoices()[1], "Draw every frame");
}

TEST_F(SettingsPages, SnapshotsTypeWithoutABitOfAGroupShowsTheDefaultChoice) {
  t.doc.preferences.snapshotsType = SnapshotsType::MovieNone;
  const CSettings_AppearancePage page(t.doc);
  EXPECT_EQ(page.MovieIndex(), 0);
  EXPECT_EQ(page.SingleImageIndex(), 1);
}

// --- The dialog -------------------------------------------------------------

TEST_F(SettingsPages, DialogOpensOnThePageLastClosedWithOk) {
  SettingsDialogModel first(t.doc);
  EXPECT_STREQ(SettingsDialogModel::kCaption, "Settings");
  EXPECT_THAT(SettingsDialogModel::PageTitles(), ElementsAre(std::string("Project Properties"),
                                                             std::string("General"), std::string("Appearance")));
  EXPECT_EQ(first.ActivePage(), 0);
  EXPECT_FALSE(first.SelectPage(3));
  ASSERT_TRUE(first.SelectPage(SettingsDialogModel::kAppearancePage));
  first.Ok(t.doc);
  EXPECT_EQ(t.doc.preferences.settingsPageIndex, 2);
  EXPECT_EQ(SettingsDialogModel(t.doc).ActivePage(), 2);

  SettingsDialogModel cancelled(t.doc);
  cancelled.SelectPage(SettingsDialogModel::kGeneralPage);
  EXPECT_EQ(SettingsDialogModel(t.doc).ActivePage(), 2) << "a cancelled dialog leaves the index";
}

TEST_F(SettingsPages, OkAppliesProjectThenGeneralThenAppearance) {
  FillUndoHistory();
  SettingsDialogModel dialog(t.doc);
  dialog.General().SetUndoDepth(7);
  dialog.General().ChooseDirViewFilter(1);
  dialog.Appearance().ChooseMovie(1);
  dialog.Project().ChangeProjectSize("00:00:12:500");
  dialog.Ok(t.doc, &views);

  EXPECT_THAT(views.calls, ElementsAre("FollowDocument", "RedrawTrackHeaders", "LayOutTracks 0", "Repaint 30",
                                       "Filter 0", "Repaint 30", "Repaint 30"));
  EXPECT_EQ(t.doc.timeline.workArea, (WorkArea{11000.0, 12500.0})) << "normalised before applying";
  EXPECT_EQ(t.doc.undoHistory.EntryCount(), 0u);
  EXPECT_EQ(t.doc.undoHistory.Depth(), 7) << "the history the project page emptied takes the general depth";
  EXPECT_EQ(t.doc.preferences.snapshotsType, 0x0202);

  // Recording after OK keeps to the new depth: the general page ran last on the history.
  for (int i = 0; i < 12; ++i) t.doc.RecordUndo(UndoKind::Delete);
  EXPECT_LE(t.doc.undoHistory.EntryCount(), 8u);
}

TEST_F(SettingsPages, CancelLeavesTheDocumentAsItWas) {
  FillUndoHistory();
  t.doc.timeline.clipboard.push_back(std::make_unique<CFilm>());
  t.Track(0).playState = PlayState::Solo;
  PlaceClip(t.Track(1), 0.0, 1000.0);
  const std::size_t entries = t.doc.undoHistory.EntryCount();
  {
    SettingsDialogModel dialog(t.doc);
    dialog.SelectPage(1);
    dialog.Project().ChangeProjectSize("00:00:30:000");
    dialog.Project().ChangeStart("00:00:01:000");
    dialog.Project().SetExclusiveSolo(true);
    dialog.Project().ChooseVideoTracks(1, t.ui);  // refused: the box is shown, nothing else
    dialog.Project().ChooseAudioTracks(4, t.ui);
    dialog.General().SetUndoDepth(3);
    dialog.General().ChangeLive("00:00:01:000");
    dialog.Appearance().ChooseMovie(0);
  }
  EXPECT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.doc.times.projectSize, 20000.0);
  EXPECT_EQ(t.doc.timeline.workArea, (WorkArea{11000.0, 14000.0}));
  EXPECT_EQ(t.doc.preferences.exclusiveSolo, 0);
  EXPECT_EQ(t.doc.preferences.settingsPageIndex, 0);
  EXPECT_EQ(t.doc.preferences.undoDepth, 100);
  EXPECT_EQ(t.doc.preferences.snapshotsType, SnapshotsType::Default);
  EXPECT_EQ(t.doc.durations.liveDuration, 15000.0);
  EXPECT_EQ(t.doc.timeline.tracks.size(), 6u);
  EXPECT_EQ(t.Track(0).playState, PlayState::Solo);
  EXPECT_EQ(t.doc.timeline.clipboard.size(), 1u);
  EXPECT_EQ(t.doc.undoHistory.EntryCount(), entries);
  EXPECT_TRUE(views.calls.empty());
}

}  // namespace
}  // namespace vantorelle
