// The command hub's enable and check rules and what its commands do; the
// track area's context menu as data.
#include "timeline/command_hub.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "commands/shortcut_table.h"
#include "support/document_fixture.h"
#include "support/recording_view_host.h"
#include "support/timeline_fixtures.h"
#include "timeline/monitor_transport.h"
#include "timeline/source_placement.h"
#include "timeline/track_area_menu.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::PlaceClip;
namespace Id = CommandId;

class RecordingRequests : public IClipRequests {
 public:
  void OpenClipProperties(CFilm& clip) override { log.push_back("properties " + clip.name); }
  void OpenTitleTrackSettings(CTrack& track) override { log.push_back("title settings " + track.name); }
  void PlayClip(CFilm& clip) override { log.push_back("play " + clip.name); }
  void AddSourceFileAt(int x, int y) override { log.push_back("add at " + std::to_string(x) + "," + std::to_string(y)); }
  bool AskRepeatClip(RepeatClipDialog& dialog) override {
    log.push_back("repeat asked");
    return askRepeat ? askRepeat(dialog) : IClipRequests::AskRepeatClip(dialog);
  }
  std::vector<std::string> log;
  std::function<bool(RepeatClipDialog&)> askRepeat;
};

struct HubFixture : ::testing::Test {
  HubFixture() {
    Doc().timeline.workArea = WorkArea{0.0, 8000.0};
    area.SetClientSize(801, 400);
  }
  CVantorelleDoc& Doc() { return project.doc; }
  CFilm& Clip(std::size_t track, TimeMs start, TimeMs duration) {
    CFilm& clip = PlaceClip(project.Track(track), start, duration, SourceFlags::VideoStream | SourceFlags::MovieFile,
                            &movie);
    clip.name = "movie.avi";
    ++movie.usageCount;
    return clip;
  }
  bool Enabled(int id) { return hub.Update(id).enabled; }
  static std::vector<std::string> Texts(const std::vector<MenuItem>& items) {
    std::vector<std::string> texts;
    for (const auto& item : items) texts.push_back(item.text);
    return texts;
  }

  testing::TestDocument project;
  CSrc& movie = project.AddSource("/media/movie.avi", 60000.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  testing::NoWorkAreaDisplay display;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  WorkAreaNavigator navigator{project.doc, display, host, timers};
  ClipEditor editor{project.doc, project.ui};
  TrackAreaController area{project.doc, navigator, host, timers};
  CommandHub hub{project.doc, editor, navigator, host};
  RecordingRequests requests;
  TrackAreaMenu menu{project.doc, editor, navigator, area, requests};
};

TEST_F(HubFixture, SelectionCommandsFollowTheSelection) {
  for (int id : {Id::Delete, Id::Copy, Id::Cut, Id::DeselectAll, Id::SelectAll, Id::InvertSelection, Id::Paste})
    EXPECT_FALSE(Enabled(id)) << id;
  CFilm& clip = Clip(0, 1000.0, 1000.0);
  EXPECT_TRUE(Enabled(Id::SelectAll));
  EXPECT_FALSE(Enabled(Id::Delete));
  ASSERT_TRUE(hub.Execute(Id::SelectAll));
  EXPECT_FALSE(Enabled(Id::SelectAll));  // everything is selected already
  EXPECT_TRUE(Enabled(Id::Copy));
  hub.Execute(Id::Copy);
  EXPECT_TRUE(Enabled(Id::Paste));
  Doc().times.timeMark = 4000.0;
  hub.Execute(Id::Paste);
  EXPECT_EQ(project.Track(0).clips.size(), 2u);
  EXPECT_TRUE(Enabled(Id::Undo));
  hub.Execute(Id::Undo);
  EXPECT_EQ(project.Track(0).clips.size(), 1u);
  EXPECT_TRUE(Enabled(Id::Redo));
  EXPECT_FALSE(hub.Execute(32949));  // no such command: disabled
  (void)clip;
}

TEST_F(HubFixture, SelectAllStaysEnabledWhileAClipLiesOnAHiddenTrack) {
  Clip(0, 1000.0, 1000.0);
  CFilm& hidden = Clip(1, 1000.0, 1000.0);
  project.Track(1).shown = 0;
  ASSERT_TRUE(hub.Execute(Id::SelectAll));
  EXPECT_TRUE(project.Track(0).clips[0]->IsSelected());
  EXPECT_FALSE(hidden.IsSelected());
  EXPECT_TRUE(Enabled(Id::SelectAll));
  // Even selected, a clip of a hidden track is not a selected clip of a shown one.
  hidden.selection = 1;
  EXPECT_TRUE(Enabled(Id::SelectAll));
  project.Track(1).shown = 1;
  EXPECT_FALSE(Enabled(Id::SelectAll));
}

TEST_F(HubFixture, RelinkOfflineMediaIsOfferedWhileASourceIsOffline) {
  EXPECT_FALSE(Enabled(CommandId::RelinkOfflineMedia));
  movie.offline = true;
  EXPECT_TRUE(Enabled(CommandId::RelinkOfflineMedia));
  // Without dialogs the command has nothing to ask with and changes nothing.
  EXPECT_TRUE(hub.Execute(CommandId::RelinkOfflineMedia));
  EXPECT_TRUE(movie.offline);
}

TEST_F(HubFixture, SplitAndFrameStepsFollowTheTimeMark) {
  Clip(0, 1000.0, 1000.0);
  Doc().times.timeMark = 1000.0;
  EXPECT_FALSE(Enabled(Id::SplitClip));  // at the clip's start
  Doc().times.timeMark = 1400.0;
  ASSERT_TRUE(hub.Execute(Id::SplitClip));
  EXPECT_EQ(project.Track(0).clips.size(), 2u);
  Doc().times.timeMark = 0.0;
  EXPECT_FALSE(Enabled(Id::PreviousFrame));
  hub.Execute(Id::NextFrame);
  EXPECT_EQ(Doc().times.timeMark, 40.0);
  Doc().times.rangeStart = 400.0;
  Doc().times.rangeStop = 800.0;
  hub.Execute(Id::Rewind);
  EXPECT_EQ(Doc().times.timeMark, 400.0);
  EXPECT_FALSE(Enabled(Id::Rewind));  // already there, nothing plays
  EXPECT_FALSE(Enabled(Id::Play));    // no board
}

TEST_F(HubFixture, MonitorTransportAsksTheHubAndReportsOnlyWhatChanged) {
  Doc().times.projectSize = 60000.0;
  MonitorTransport transport(Doc(), hub);
  ASSERT_TRUE(transport.Refresh());
  std::vector<int> ids;
  for (const TransportButton& button : transport.Shown().buttons) ids.push_back(button.commandId);
  EXPECT_THAT(ids, ElementsAre(Id::PreviousFrame, Id::Play, Id::Stop, Id::NextFrame));
  EXPECT_FALSE(transport.Shown().buttons[0].enabled) << "the mark stands at the start";
  EXPECT_FALSE(transport.Shown().buttons[1].enabled) << "no board to play on";
  EXPECT_TRUE(transport.Shown().buttons[3].enabled);
  EXPECT_EQ(transport.Shown().timeText, "0:000");
  EXPECT_FALSE(transport.Refresh()) << "nothing changed: nothing to redraw";

  ASSERT_TRUE(hub.Execute(Id::NextFrame));
  EXPECT_TRUE(transport.Refresh());
  EXPECT_EQ(transport.Shown().timeText, "0:040");
  EXPECT_TRUE(transport.Shown().buttons[0].enabled);
  ASSERT_TRUE(hub.Execute(Id::TimeInSmpte));
  EXPECT_TRUE(transport.Refresh());
  EXPECT_EQ(transport.Shown().timeText, "0:01");
}

TEST_F(HubFixture, ChoosingTheCurrentTimeModeRebuildsNothing) {
  Doc().rulerSteps = {123.0};
  EXPECT_TRUE(hub.Update(Id::TimeInMilliseconds).checked);
  hub.Execute(Id::TimeInMilliseconds);
  EXPECT_THAT(Doc().rulerSteps, ElementsAre(123.0));
  hub.Execute(Id::TimeInFrames);
  EXPECT_EQ(Doc().rulerSteps.size(), 21u);
  EXPECT_TRUE(hub.Update(Id::TimeInFrames).checked);
  EXPECT_FALSE(hub.Update(Id::TimeInMilliseconds).checked);
}

TEST_F(HubFixture, TheLastShownGroupCannotBeHidden) {
  auto items = hub.ShowGroupItems();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, "Show Video Tracks");
  EXPECT_EQ(items[0].id, 32894);
  EXPECT_EQ(items[2].id, 32896);
  Doc().preferences.firstVisibleTrack = 2;
  ASSERT_TRUE(hub.Execute(32894));  // hide video
  EXPECT_EQ(project.Track(0).shown, 0);
  EXPECT_EQ(Doc().preferences.firstVisibleTrack, 0);
  hub.Execute(32896);  // hide titles
  items = hub.ShowGroupItems();
  EXPECT_FALSE(items[0].state.checked);
  EXPECT_TRUE(items[0].state.enabled);
  EXPECT_TRUE(items[1].state.checked);
  EXPECT_FALSE(items[1].state.enabled);  // audio is all that is left
  EXPECT_FALSE(hub.Execute(32895));
  EXPECT_EQ(project.Track(2).shown, 1);
}

TEST_F(HubFixture, ZoomCommandsAndTheScreenSize) {
  EXPECT_FALSE(Enabled(Id::ZoomToRange));
  EXPECT_TRUE(Enabled(Id::ZoomToProject));
  hub.Execute(Id::ZoomToProject);
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{0.0, 20000.0}));
  EXPECT_FALSE(Enabled(Id::ZoomOut));

  // The project's format changes with clips and a board: the clips follow it.
  CFilm& clip = Clip(0, 100.0, 1000.0);
  ScreenSizeDialog dialog;
  EXPECT_EQ(dialog.Chooser().Preselected(), (VideoFormat{720, 576, 25000}));
  dialog.Chooser().SetCustomWidth(720);
  dialog.Chooser().SetCustomHeight(480);
  dialog.Chooser().SetCustomFrameRate(29970);
  ASSERT_TRUE(dialog.Apply(Doc()));
  EXPECT_EQ(CurrentVideoStandard().FrameHeight, 480);
  EXPECT_DOUBLE_EQ(CurrentVideoStandard().FrameDelta, 1'000'000.0 / 29970);
  EXPECT_DOUBLE_EQ(CurrentVideoStandard().StartDelay, 10'000'000.0 / 29970);
  EXPECT_EQ(clip.start, 99.0);  // three frames, on the program's whole-millisecond grid
  EXPECT_TRUE(Enabled(Id::Undo));
}

TEST_F(HubFixture, ContextMenuOffersWhatFitsThePoint) {
  CFilm& clip = Clip(1, 1000.0, 1000.0);  // second video row, 24–120
  EXPECT_TRUE(menu.Open(MouseEvent{500, 450}).empty());  // below the rows
  auto items = menu.Open(MouseEvent{500, 50});
  EXPECT_THAT(Texts(items), ElementsAre("Add source file...", "", "Delete selected clip(s)", "Cut selected clip(s)",
                                        "Copy selected clip(s)", "Paste", "Insert"));
  EXPECT_FALSE(items[5].enabled);
  ASSERT_TRUE(menu.Execute(CommandId::AreaAddSourceFile));
  EXPECT_THAT(requests.log, ElementsAre("add at 500,50"));

  items = menu.Open(MouseEvent{150, 50});
  EXPECT_THAT(Texts(items), ElementsAre("Edit", "Split clip", "Repeat clip...", "Select source file in project",
                                        "Range", "Play", "", "Properties..."));
  EXPECT_TRUE(items[1].enabled);
  EXPECT_FALSE(items[5].enabled);  // no board
  EXPECT_THAT(Texts(items[0].submenu), ElementsAre("Delete clip", "Cut clip", "Copy clip", "", "Insert", "",
                                                   "Delete selected clip(s)", "Cut selected clip(s)",
                                                   "Copy selected clip(s)"));
  ASSERT_TRUE(menu.Execute(CommandId::AreaCopyClip));
  items = menu.Open(MouseEvent{500, 50});
  ASSERT_TRUE(menu.Execute(CommandId::AreaPaste));  // at the point, on the nearest frame
  ASSERT_EQ(project.Track(1).clips.size(), 2u);
  EXPECT_EQ(project.Track(1).clips[1]->start, 5000.0);

  PlaceClip(project.Track(5), 3000.0, 1000.0, SourceFlags::VideoStream);  // a movable title
  items = menu.Open(MouseEvent{390, 380});
  EXPECT_THAT(Texts(items), ::testing::Not(::testing::Contains("Split clip")));
  EXPECT_EQ(Texts(items).back(), "Title track settings...");
  EXPECT_EQ(TrackAreaMenu::StatusText(CommandId::AreaCutSelected),
            "Delete selected clip(s) and put it on the Clipboard");
  EXPECT_EQ(TrackAreaMenu::StatusText(CommandId::AreaSplitClip), "Ready");
  (void)clip;
}

TEST_F(HubFixture, AreaMenuItemsTakeTheirStatusTextsFromTheCommandTable) {
  const CShortCutTable table;
  menu.UseCommandTable(&table);
  for (int id = CommandId::AreaPaste; id <= CommandId::AreaClipProperties; ++id) {
    EXPECT_EQ(menu.StatusTextFor(id), table.PromptText(id)) << id;
    EXPECT_NE(menu.StatusTextFor(id), "Ready") << id;
  }
  EXPECT_EQ(menu.StatusTextFor(CommandId::AreaPaste), "Paste the clipboard clips at the mouse position");
  // Items without an entry keep their own texts.
  EXPECT_EQ(menu.StatusTextFor(CommandId::AreaAddSourceFile), "Add source file");
  EXPECT_EQ(menu.StatusTextFor(0), "Ready");
}

TEST_F(HubFixture, RepeatClipAsksBeforePlacingCopies) {
  CFilm& clip = Clip(1, 1000.0, 1000.0);
  Clip(1, 6000.0, 1000.0);  // room for four copies before it
  CTrack& track = project.Track(1);

  // Cancelled: nothing placed, no undo step, the last count stays.
  const std::int32_t lastCount = Doc().preferences.repeatClipValue;
  requests.askRepeat = [](RepeatClipDialog& dialog) {
    EXPECT_EQ(dialog.MaximumCount(), 4);
    return false;
  };
  ASSERT_FALSE(menu.Open(MouseEvent{150, 50}).empty());
  EXPECT_FALSE(menu.Execute(CommandId::AreaRepeatClip));
  EXPECT_THAT(requests.log, ElementsAre("repeat asked"));
  EXPECT_EQ(track.clips.size(), 2u);
  EXPECT_FALSE(Doc().undoHistory.CanUndo());
  EXPECT_EQ(Doc().preferences.repeatClipValue, lastCount);

  // The count and pause chosen in the dialog are the ones placed.
  requests.askRepeat = [](RepeatClipDialog& dialog) {
    dialog.SetCount(2);
    dialog.SetPause(500.0);
    return true;
  };
  ASSERT_FALSE(menu.Open(MouseEvent{150, 50}).empty());
  EXPECT_TRUE(menu.Execute(CommandId::AreaRepeatClip));
  ASSERT_EQ(track.clips.size(), 4u);
  EXPECT_EQ(track.clips[0].get(), &clip);
  EXPECT_EQ(track.clips[1]->start, 2500.0);
  EXPECT_EQ(track.clips[2]->start, 4000.0);
  EXPECT_EQ(track.clips[3]->start, 6000.0);
  EXPECT_TRUE(Doc().undoHistory.CanUndo());
  EXPECT_EQ(Doc().preferences.repeatClipValue, 2);
}

TEST_F(HubFixture, RepeatClipWithoutADialogPlacesWhatFits) {
  Clip(1, 1000.0, 1000.0);
  Clip(1, 4000.0, 1000.0);  // two copies fit
  ASSERT_FALSE(menu.Open(MouseEvent{150, 50}).empty());
  EXPECT_TRUE(menu.Execute(CommandId::AreaRepeatClip));
  EXPECT_THAT(requests.log, ElementsAre("repeat asked"));
  ASSERT_EQ(project.Track(1).clips.size(), 4u);
  EXPECT_EQ(project.Track(1).clips[1]->start, 2000.0);
  EXPECT_EQ(project.Track(1).clips[2]->start, 3000.0);
}

TEST_F(HubFixture, UndoAndRedoTakeTheScrollPositionWithTheirWorkArea) {
  const auto currentZoom = [&] {
    const CZoomData& entry = Doc().zoomLadder.at(static_cast<std::size_t>(Doc().currentZoomIndex));
    return WorkArea{entry.start, entry.stop};
  };
  Doc().times.projectSize = 60000.0;
  Doc().rulerStep = 500.0;
  Clip(0, 1000.0, 1000.0);
  hub.Execute(Id::SelectAll);
  ASSERT_TRUE(hub.Execute(Id::Delete));  // the snapshot keeps the work area 0 … 8000
  navigator.Scroll(ScrollCode::ThumbTrack, 5000);
  ASSERT_EQ(Doc().timeline.workArea, (WorkArea{5000.0, 13000.0}));

  ASSERT_TRUE(hub.Execute(Id::Undo));
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{0.0, 8000.0}));
  EXPECT_EQ(navigator.ScrollPosition(), 0);
  ASSERT_FALSE(Doc().zoomLadder.empty());
  EXPECT_EQ(currentZoom(), (WorkArea{0.0, 8000.0}));
  ASSERT_TRUE(hub.Execute(Id::Redo));
  EXPECT_EQ(navigator.ScrollPosition(), 5000);
  EXPECT_EQ(currentZoom(), (WorkArea{5000.0, 13000.0}));
  ASSERT_TRUE(hub.Execute(Id::Undo));

  // A line to the left from the start of the project stays at 0, and a
  // source dropped at the left edge starts at 0.
  navigator.Scroll(ScrollCode::LineLeft);
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{0.0, 8000.0}));
  EXPECT_EQ(navigator.ScrollPosition(), 0);
  CSrc& shortMovie = project.AddSource("/media/short.avi", 480.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  area.DragOver(shortMovie, 0, 10);
  ASSERT_TRUE(area.Drop(shortMovie, 0, 10));
  ASSERT_EQ(project.Track(0).clips.size(), 2u);
  EXPECT_EQ(project.Track(0).clips.front()->start, 0.0);
  project.ExpectConsistent({&movie, &shortMovie});
}

TEST(SourcePlacementStart, NeverBeforeTheProjectBegins) {
  // A work area left before 0 (by an older editor) still places at 0 or later.
  EXPECT_EQ(SourcePlacement::StartFor(-480.0, WorkArea{-500.0, 7500.0}), 0.0);
  EXPECT_EQ(SourcePlacement::StartFor(1530.0, WorkArea{0.0, 8000.0}), 1520.0);
}

}  // namespace
}  // namespace vantorelle
