// Edit shortcuts pressed through the main window while the left button still
// drags a clip in the track area: the drag ends first, the shortcut acts, and
// the rest of the hand's drag changes nothing. The timeline is checked after
// every step.
#include <QTest>

#include <string>
#include <tuple>

#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"
#include "track_area_widget.h"

namespace vantorelle::testing {
namespace {

enum class Grab { Body, RightEdge, FadeIn };

struct Shortcut {
  const char* name;
  int key;
  Qt::KeyboardModifiers modifiers;
};

const Shortcut kShortcuts[] = {
    {"Del", Qt::Key_Delete, Qt::NoModifier},       {"CtrlX", Qt::Key_X, Qt::ControlModifier},
    {"CtrlV", Qt::Key_V, Qt::ControlModifier},     {"Ins", Qt::Key_Insert, Qt::NoModifier},
    {"ShiftS", Qt::Key_S, Qt::ShiftModifier},      {"CtrlZ", Qt::Key_Z, Qt::ControlModifier},
    {"CtrlY", Qt::Key_Y, Qt::ControlModifier},
};
constexpr std::size_t kSplit = 4;
constexpr std::size_t kUndo = 5;
constexpr std::size_t kRedo = 6;

QPoint CentreOf(const PixelRect& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

class DragThenShortcut : public EditorFixture,
                         public ::testing::WithParamInterface<std::tuple<Grab, std::size_t>> {
 protected:
  CTrack* Video() const { return FirstTrackOfKind(TrackKind::Video); }
  CTrack* Audio() const { return FirstTrackOfKind(TrackKind::Audio); }

  // A movie with sound dropped on the first video track; it stays selected.
  void PlaceMovie() {
    ASSERT_TRUE(DropMovieOnVideoTrack(100));
    QApplication::processEvents();
    ASSERT_EQ(Video()->clips.size(), 1u);
    ASSERT_EQ(Audio()->clips.size(), 1u);
  }
  // The first point of a clip's shape where the area offers the zone.
  std::optional<QPoint> PointOf(const CFilm& clip, HitZone zone) {
    const auto shape = ShapeOf(clip);
    if (!shape) return std::nullopt;
    for (int y = shape->rect.top; y < shape->rect.bottom; ++y) {
      for (int x = shape->rect.left - 2; x <= shape->rect.right + 2; ++x) {
        const TrackAreaHit hit = Area().Controller()->HitTest(x, y);
        if (hit.clip == &clip && hit.zone == zone) return QPoint(x, y);
      }
    }
    return std::nullopt;
  }
  // Where every clip is and how it fades and sounds.
  std::string Clips() {
    std::string text;
    for (const auto& track : Doc().timeline.tracks) {
      for (const auto& clip : track->clips) {
        text += std::to_string(track->type) + " " + std::to_string(clip->start) + "+" +
                std::to_string(clip->duration) + " fades " + std::to_string(clip->fadeIn) + "/" +
                std::to_string(clip->fadeOut) + " level " + std::to_string(clip->volume) + "\n";
      }
    }
    return text;
  }
  void ExpectConsistent(const char* step) {
    std::vector<const CSrc*> sources;
    for (const auto& source : Doc().sources) sources.push_back(source.get());
    const auto problems = CheckTimelineConsistency(Doc().timeline, sources);
    EXPECT_TRUE(problems.empty()) << step << ": " << problems.front();
  }
};

TEST_P(DragThenShortcut, TheDragEndsBeforeTheShortcutAndTheReleaseChangesNothing) {
  const auto [grab, which] = GetParam();
  const Shortcut& shortcut = kShortcuts[which];
  PlaceMovie();
  // A clipboard for Paste and Insert, and a step to redo.
  Window().RunCommand(CommandId::Copy);
  Doc().times.timeMark = 10000.0;
  Window().RunCommand(CommandId::Paste);
  Window().RunCommand(CommandId::Undo);
  ExpectConsistent("set-up");
  MoveTo(QPoint(1, 1), false);  // Undo gave back new tracks: the area lays them out again

  CFilm& clip = grab == Grab::FadeIn ? *Audio()->clips.front() : *Video()->clips.front();
  const HitZone zone = grab == Grab::Body ? HitZone::Body : grab == Grab::RightEdge ? HitZone::RightEdge
                                                                                     : HitZone::FadeIn;
  const auto from = PointOf(clip, zone);
  ASSERT_TRUE(from.has_value()) << "no such part of the clip";
  const QPoint step(grab == Grab::RightEdge ? -12 : 12, 0);

  MoveTo(*from, false);
  Press(*from);
  ASSERT_TRUE(Area().Controller()->Dragging());
  MoveTo(*from + step, true);
  ExpectConsistent("first move");
  MoveTo(*from + step * 2, true);
  ExpectConsistent("second move");
  const std::string reached = Clips();

  Doc().times.timeMark = which == kSplit ? SnapToFrameFloor(clip.start + clip.duration / 2) : 0.0;
  PointAt(*from + step * 2);
  PressKey(shortcut.key, shortcut.modifiers);
  ExpectConsistent("shortcut");
  EXPECT_FALSE(Area().Controller()->Dragging()) << shortcut.name << " left the drag going";
  const std::string afterShortcut = Clips();
  EXPECT_NE(afterShortcut, reached) << shortcut.name << " did nothing";

  MoveTo(*from + step * 5, true);
  ExpectConsistent("move after the shortcut");
  Release(*from + step * 5);
  QApplication::processEvents();
  ExpectConsistent("release");
  EXPECT_EQ(Clips(), afterShortcut) << "the drag went on after " << shortcut.name;

  // Undoing the shortcut's edit gives back what the drag left; after an
  // Undo, Redo brings back the drag's result, untouched since.
  PointAt(*from);
  PressKey(which == kUndo ? Qt::Key_Y : Qt::Key_Z, Qt::ControlModifier);
  ExpectConsistent("undo or redo");
  EXPECT_EQ(Clips(), reached);
}

std::string Name(const ::testing::TestParamInfo<DragThenShortcut::ParamType>& info) {
  static const char* const grabs[] = {"Move", "TrimRight", "FadeIn"};
  return std::string(grabs[static_cast<int>(std::get<0>(info.param))]) + kShortcuts[std::get<1>(info.param)].name;
}

// Moves and trims record their step at once, so nothing is left to redo
// there; Ctrl+Y goes with the fade drag, which records none.
INSTANTIATE_TEST_SUITE_P(MoveAndTrim, DragThenShortcut,
                         ::testing::Combine(::testing::Values(Grab::Body, Grab::RightEdge),
                                            ::testing::Range<std::size_t>(0, kRedo)),
                         Name);
INSTANTIATE_TEST_SUITE_P(Fade, DragThenShortcut,
                         ::testing::Combine(::testing::Values(Grab::FadeIn), ::testing::Range<std::size_t>(0, kRedo + 1)),
                         Name);

}  // namespace
}  // namespace vantorelle::testing
