// Editing commands given while a mouse drag still holds clips: the drag ends
// first as a release would, the command acts on what the drag left, and the
// mouse moves and the release that follow change nothing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "support/document_fixture.h"
#include "support/recording_view_host.h"
#include "support/timeline_fixtures.h"
#include "timeline/command_hub.h"
#include "timeline/track_area_controller.h"
#include "timeline/track_area_menu.h"

namespace vantorelle {
namespace {

using testing::PlaceClip;
namespace Id = CommandId;

enum class DragKind { Move, TrimLeft, TrimRight, FadeIn, FadeOut, Volume };

class NoRequests : public IClipRequests {
 public:
  void OpenClipProperties(CFilm&) override {}
  void OpenTitleTrackSettings(CTrack&) override {}
  void PlayClip(CFilm&) override {}
  void AddSourceFileAt(int, int) override {}
};

// Rows as in the area's own tests: the first audio track is y 120–216, and
// 10 ms a pixel from 0. The clip under the mouse is 1000–3000 ms there
// (x 100–300); its level line is at y 140.
struct DragFixture {
  DragFixture() {
    Doc().timeline.workArea = WorkArea{0.0, 8000.0};
    area.SetClientSize(801, 400);
    hub.AttachTrackArea(&area);
    CFilm& clip = PlaceClip(project.Track(2), 1000.0, 2000.0, SourceFlags::AudioStream | SourceFlags::MovieFile,
                            &movie);
    clip.name = "movie.avi";
    clip.sourceLength = 60000.0;
    ++movie.usageCount;
    // Something to undo, something to redo and a full clipboard.
    Doc().RecordUndo(UndoKind::SelectClip);
    clip.selection = 1;
    editor.Copy();
    editor.Paste(6000.0);
    Doc().Undo();
    ExpectConsistent();
  }
  CVantorelleDoc& Doc() { return project.doc; }
  CFilm& Dragged() { return *project.Track(2).clips.front(); }
  void ExpectConsistent() { project.ExpectConsistent({&movie}); }
  static MouseEvent At(int x, int y, bool left = true) {
    MouseEvent event;
    event.x = x;
    event.y = y;
    event.leftButton = left;
    return event;
  }
  // Presses on the part of the clip the drag takes, and moves the mouse as
  // far as the drag goes before the command (over the right edge for the
  // drags that scroll there).
  void StartDrag(DragKind kind) {
    struct Path {
      int x0, y0, x1, y1;
    };
    const Path path = [&] {
      switch (kind) {
        case DragKind::Move: return Path{200, 130, 820, 130};
        case DragKind::TrimLeft: return Path{101, 130, 150, 130};
        case DragKind::TrimRight: return Path{299, 130, 820, 130};
        case DragKind::FadeIn: return Path{100, 140, 150, 140};
        case DragKind::FadeOut: return Path{300, 140, 250, 140};
        case DragKind::Volume: return Path{200, 140, 200, 170};
      }
      return Path{};
    }();
    area.OnMouseDown(At(path.x0, path.y0));
    ASSERT_TRUE(area.Dragging());
    ExpectConsistent();
    area.OnMouseMove(At((path.x0 + path.x1) / 2, (path.y0 + path.y1) / 2));
    ExpectConsistent();
    area.OnMouseMove(At(path.x1, path.y1));
    ExpectConsistent();
  }
  // The rest of a hand's drag: back and forth, the edge timers, the release.
  void GoOnDragging() {
    for (const auto& [x, y] : {std::pair{60, 150}, std::pair{400, 125}, std::pair{830, 300}}) {
      area.OnMouseMove(At(x, y));
      ExpectConsistent();
    }
    for (int id = 1; id <= 19; ++id) {
      area.OnTimer(id);
      ExpectConsistent();
    }
    area.OnMouseUp(At(830, 300, false));
    ExpectConsistent();
  }
  // What the drags and commands change: every clip, the clipboard, the undo position.
  std::string State() {
    std::ostringstream out;
    for (std::size_t t = 0; t < Doc().timeline.tracks.size(); ++t) {
      for (const auto& clip : project.Track(t).clips) {
        out << "track " << t << " start " << clip->start << " duration " << clip->duration << " in "
            << clip->inPoint << " fades " << clip->fadeIn << "/" << clip->fadeOut << " volume " << clip->volume
            << " selected " << clip->selection << "\n";
      }
    }
    out << "clipboard " << Doc().timeline.clipboard.size() << " undo position " << Doc().undoHistory.Position()
        << "\n";
    return out.str();
  }

  testing::TestDocument project;
  CSrc& movie = project.AddSource("/media/movie.avi", 60000.0, SourceFlags::AudioStream | SourceFlags::MovieFile);
  testing::NoWorkAreaDisplay display;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  WorkAreaNavigator navigator{project.doc, display, host, timers};
  ClipEditor editor{project.doc, project.ui};
  TrackAreaController area{project.doc, navigator, host, timers};
  CommandHub hub{project.doc, editor, navigator, host};
  NoRequests requests;
  TrackAreaMenu menu{project.doc, editor, navigator, area, requests};
};

class CommandDuringDrag : public ::testing::TestWithParam<std::tuple<DragKind, int>>, protected DragFixture {};

TEST_P(CommandDuringDrag, EndsTheDragFirstAndTheRestOfTheDragChangesNothing) {
  const auto [kind, command] = GetParam();
  StartDrag(kind);
  const std::string reached = State();
  Doc().times.timeMark =
      command == Id::SplitClip ? SnapToFrameFloor(Dragged().start + Dragged().duration / 2) : 0.0;

  ASSERT_TRUE(hub.Execute(command));
  ExpectConsistent();
  EXPECT_FALSE(area.Dragging());
  EXPECT_TRUE(timers.running.empty()) << "an edge timer outlived the drag";
  const std::string afterCommand = State();

  GoOnDragging();
  EXPECT_EQ(State(), afterCommand) << "the drag went on after the command";

  if (command == Id::Undo) {
    // What the drag did is the state Redo brings back, untouched since.
    ASSERT_TRUE(hub.Execute(Id::Redo));
    ExpectConsistent();
    EXPECT_EQ(State(), reached);
  } else {
    // The command acted on what the drag left: undoing it gives that back.
    ASSERT_TRUE(hub.Execute(Id::Undo));
    ExpectConsistent();
    EXPECT_EQ(State(), reached);
  }
}

std::string Name(const ::testing::TestParamInfo<CommandDuringDrag::ParamType>& info) {
  static const char* const kinds[] = {"Move", "TrimLeft", "TrimRight", "FadeIn", "FadeOut", "Volume"};
  const int command = std::get<1>(info.param);
  const char* name = command == Id::Delete      ? "Delete"
                     : command == Id::Cut       ? "Cut"
                     : command == Id::Paste     ? "Paste"
                     : command == Id::Insert    ? "Insert"
                     : command == Id::SplitClip ? "Split"
                     : command == Id::Undo      ? "Undo"
                                                : "Redo";
  return std::string(kinds[static_cast<int>(std::get<0>(info.param))]) + name;
}

// A move or trim drag records its step at the first change, which drops the
// redo branch: Redo is for the drags that record none.
INSTANTIATE_TEST_SUITE_P(ClipDrags, CommandDuringDrag,
                         ::testing::Combine(::testing::Values(DragKind::Move, DragKind::TrimLeft, DragKind::TrimRight,
                                                              DragKind::FadeIn, DragKind::FadeOut, DragKind::Volume),
                                            ::testing::Values(Id::Delete, Id::Cut, Id::Paste, Id::Insert,
                                                              Id::SplitClip, Id::Undo)),
                         Name);
INSTANTIATE_TEST_SUITE_P(LevelAndFadeDrags, CommandDuringDrag,
                         ::testing::Combine(::testing::Values(DragKind::FadeIn, DragKind::FadeOut, DragKind::Volume),
                                            ::testing::Values(Id::Redo)),
                         Name);

struct DragInterrupted : ::testing::Test, protected DragFixture {};

TEST_F(DragInterrupted, AMenuShortcutDuringAMoveDeletesTheMovedClipAfterTheDragEnds) {
  StartDrag(DragKind::Move);
  const std::string reached = State();
  ASSERT_FALSE(menu.Open(At(500, 130, false)).empty());
  ASSERT_TRUE(menu.Execute(Id::AreaDeleteSelected));
  ExpectConsistent();
  EXPECT_FALSE(area.Dragging());
  EXPECT_TRUE(project.Track(2).clips.empty());
  GoOnDragging();
  EXPECT_TRUE(project.Track(2).clips.empty());
  Doc().Undo();
  ExpectConsistent();
  EXPECT_EQ(State(), reached);
}

TEST_F(DragInterrupted, ViewCommandsLeaveTheDragGoing) {
  StartDrag(DragKind::TrimLeft);
  ASSERT_TRUE(hub.Execute(Id::ZoomOut));
  EXPECT_TRUE(area.Dragging());
  area.OnMouseUp(At(150, 130, false));
  ExpectConsistent();
  EXPECT_FALSE(area.Dragging());
}

TEST_F(DragInterrupted, ClipsTakenAwayBehindTheAreasBackEndTheDragUntouched) {
  // A change that does not go through the commands (a source removed with
  // its clips, a whole project replaced) still leaves no stale clip held.
  StartDrag(DragKind::Move);
  Doc().timeline.tracks[2]->clips.clear();
  movie.usageCount = 0;
  const std::string cleared = State();
  GoOnDragging();
  EXPECT_FALSE(area.Dragging());
  EXPECT_EQ(State(), cleared);
  EXPECT_TRUE(timers.running.empty());
}

TEST_F(DragInterrupted, UndoThroughTheDocumentDuringATrimLeavesTheRedoStateAlone) {
  StartDrag(DragKind::TrimRight);
  const std::string reached = State();
  Doc().Undo();  // not through the hub: the area is not told
  const std::string undone = State();
  GoOnDragging();
  EXPECT_EQ(State(), undone);
  Doc().Redo();
  ExpectConsistent();
  EXPECT_EQ(State(), reached);
}

}  // namespace
}  // namespace vantorelle
