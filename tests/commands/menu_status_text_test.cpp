// The status bar while menus are open, with the command table in place, and
// the track headers scrolling for a drag that leaves the track area.
#include "commands/menu_status_text.h"

#include <gtest/gtest.h>

#include "commands/idle_status_text.h"

#include "support/document_fixture.h"
#include "support/recording_view_host.h"
#include "support/timeline_fixtures.h"
#include "timeline/command_ids.h"
#include "timeline/track_area_controller.h"
#include "timeline/track_headers.h"

namespace vantorelle {
namespace {

TEST(MenuStatusTextTest, TheEmptyProjectHintNamesTheKeyAddSourceFileHasNow) {
  CShortCutTable table;
  EXPECT_EQ(EmptyProjectHint(&table), "Add media with File \u203A Add source file (F4) or drag files here");
  table.SetCurrentShortcuts({{CommandId::AddSourceFile, CommandGroup::Global, 1, 1, 'A'}});
  EXPECT_EQ(EmptyProjectHint(&table), "Add media with File \u203A Add source file (Ctrl + Shift + A) or drag files here");
  table.SetCurrentShortcuts({});
  EXPECT_EQ(EmptyProjectHint(&table), "Add media with File \u203A Add source file or drag files here");
  testing::TestDocument t;
  EXPECT_EQ(IdleStatusText(t.doc, nullptr), EmptyProjectHint(nullptr));
  CSrc& source = t.AddSource("/media/a.avi", 2000.0, SourceFlags::VideoStream);
  testing::PlaceClip(t.Track(0), 0.0, 1000.0, SourceFlags::VideoStream, &source);
  EXPECT_EQ(IdleStatusText(t.doc, &table), "Ready");
}

TEST(MenuStatusTextTest, PromptsComeFromTheCommandTableWithTheirShortcut) {
  CShortCutTable table;
  EXPECT_EQ(MenuStatusText(table, CommandId::Play), "Playback active audio, video, title track - Space");
  EXPECT_EQ(MenuStatusText(table, CommandId::Rewind), "Move cursor to playback start position - Home");
  EXPECT_EQ(MenuStatusText(table, CommandId::NewProject), "Create a new project - Ctrl + N");
  // The clip's own Play in the track area's menu has no key.
  EXPECT_EQ(MenuStatusText(table, CommandId::AreaPlayClip), "Playback current clip");
  // Track-area items without a table entry have their own texts.
  EXPECT_EQ(MenuStatusText(table, CommandId::AreaDeleteSelected), "Delete selected clip(s)");
  EXPECT_EQ(MenuStatusText(table, CommandId::AreaCutSelected), "Delete selected clip(s) and put it on the Clipboard");
  EXPECT_EQ(MenuStatusText(table, CommandId::AreaCopySelected), "Copy the selection and put it on the Clipboard");
  EXPECT_EQ(MenuStatusText(table, CommandId::AreaTitleTrackSettings), "Change title track settings");
  EXPECT_EQ(MenuStatusText(table, CommandId::AreaAddSourceFile), "Add source file");
  EXPECT_EQ(MenuStatusText(table, 0), "Ready");
  EXPECT_EQ(MenuStatusText(table, CommandId::ShowGroupBase + 16), "Ready");

  // A key given to a command shows in its prompt at once.
  auto shortcuts = table.CurrentShortcuts();
  shortcuts.push_back({CommandId::AreaPlayClip, CommandGroup::TracksView, 0, 1, 'P'});
  table.SetCurrentShortcuts(shortcuts);
  EXPECT_EQ(MenuStatusText(table, CommandId::AreaPlayClip), "Playback current clip - Ctrl + P");
}

TEST(MenuStatusTextTest, TrackHeaderMenuShowsTheTableDescriptions) {
  testing::TestDocument project;
  testing::RecordingViewHost host;
  struct NoRequests : ITrackHeaderRequests {
    void OpenAudioTrackProperties(CTrack&) override {}
    void OpenTitleTrackSettings(CTrack&) override {}
    std::optional<std::string> AskTrackName(const std::string&) override { return std::nullopt; }
  } requests;
  CTrackStatusView headers{project.doc, host, requests, nullptr};
  CShortCutTable table;
  headers.SetCommandDescriptions([&](int id) { return table.FindCommand(id) ? table.PromptText(id) : ""; });
  EXPECT_EQ(headers.MenuStatusText(TrackHeaderCommand::Solo), table.PromptText(TrackHeaderCommand::Solo));
  EXPECT_NE(headers.MenuStatusText(TrackHeaderCommand::Solo), "Ready");
  EXPECT_EQ(headers.MenuStatusText(TrackHeaderCommand::TrackHeightSmall), "Set track height to small size");
}

// A clip dragged below the track area scrolls the header rows, and the area
// lays its rows out from the new first track.
TEST(TrackScrollingTest, DragBelowTheAreaScrollsTheHeadersOnTimerTicks) {
  testing::TestDocument project;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  testing::NoWorkAreaDisplay display;
  struct NoRequests : ITrackHeaderRequests {
    void OpenAudioTrackProperties(CTrack&) override {}
    void OpenTitleTrackSettings(CTrack&) override {}
    std::optional<std::string> AskTrackName(const std::string&) override { return std::nullopt; }
  } requests;
  CTrackStatusView headers{project.doc, host, requests, nullptr};
  headers.SetClientSize(200, 150);
  project.doc.timeline.workArea = WorkArea{0.0, 8000.0};
  WorkAreaNavigator navigator{project.doc, display, host, timers};
  TrackAreaController area{project.doc, navigator, host, timers, &headers};
  area.SetClientSize(801, 150);
  CSrc& movie = project.AddSource("/media/m.avi", 60000.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  CFilm& clip = testing::PlaceClip(project.Track(1), 1000.0, 500.0,
                                   SourceFlags::VideoStream | SourceFlags::MovieFile, &movie);
  ++movie.usageCount;

  MouseEvent press;
  press.x = 120;
  press.y = 40;  // the second video row, 24–120
  press.leftButton = true;
  area.OnMouseDown(press);
  MouseEvent below = press;
  below.y = 170;
  area.OnMouseMove(below);
  ASSERT_EQ(project.doc.preferences.firstVisibleTrack, 0);
  int ticks = 0;
  for (int id = 1; id <= 19 && ticks == 0; ++id) {
    if (!timers.IsRunning(id)) continue;
    area.OnTimer(id);
    ++ticks;
  }
  ASSERT_EQ(ticks, 1) << "no vertical scroll timer started";
  EXPECT_EQ(project.doc.preferences.firstVisibleTrack, 1);
  EXPECT_EQ(project.Track(1).top, 0);  // the area's rows follow the headers
  area.OnMouseUp(below);
  project.ExpectConsistent({&movie});
  EXPECT_EQ(clip.track, &project.Track(1));
}

}  // namespace
}  // namespace vantorelle
