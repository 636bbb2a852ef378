// The main window driven by mouse and keys: a fresh start, sources placed on
// the tracks, clips moved and trimmed, and the edit shortcuts.
#include <QTest>
#include <cmath>

#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"
#include "track_area_widget.h"

namespace vantorelle::testing {
namespace {

constexpr TimeMs kFrame = 40.0;  // PAL

QPoint CentreOf(const PixelRect& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

bool OnFrameGrid(TimeMs t) { return std::fabs(std::remainder(t, kFrame)) < 1e-6; }

class MainWindowEditing : public EditorFixture {
 protected:
  // A movie with sound dropped on the first video track, 100 pixels in.
  CFilm& PlaceMovie() {
    CSrc* source = Collect(WriteMovie("movie.avi"));
    EXPECT_NE(source, nullptr);
    const auto row = RowOf(*Video());
    EXPECT_TRUE(row.has_value());
    const QPoint at(100, CentreOf(row->rect).y());
    EXPECT_TRUE(Area().Controller()->DragOver(*source, at.x(), at.y()));
    EXPECT_TRUE(Area().Controller()->Drop(*source, at.x(), at.y()));
    QApplication::processEvents();
    EXPECT_EQ(Video()->clips.size(), 1u);
    return *Video()->clips.front();
  }
  // Milliseconds one pixel of the track area stands for, from a clip's shape.
  double MsPerPixel(const CFilm& clip) {
    const auto shape = ShapeOf(clip);
    EXPECT_TRUE(shape.has_value());
    return clip.duration / (shape->rect.right - shape->rect.left);
  }
  // The first pixel from the right of the clip where the pointer grabs its right edge.
  std::optional<QPoint> RightEdgeOf(const CFilm& clip) {
    const auto shape = ShapeOf(clip);
    if (!shape) return std::nullopt;
    const int y = CentreOf(shape->rect).y();
    for (int x = shape->rect.right + 3; x > shape->rect.right - 12; --x) {
      const TrackAreaHit hit = Area().Controller()->HitTest(x, y);
      if (hit.clip == &clip && hit.zone == HitZone::RightEdge) return QPoint(x, y);
    }
    return std::nullopt;
  }

  // Undo and redo bring back whole track lists: tracks are looked up afresh each time.
  CTrack* Video() const { return FirstTrackOfKind(TrackKind::Video); }
  CTrack* Audio() const { return FirstTrackOfKind(TrackKind::Audio); }
};

TEST_F(MainWindowEditing, StartsWithSixTrackRowsAndAnUntitledProject) {
  EXPECT_TRUE(Window().isVisible());
  EXPECT_EQ(Window().windowTitle(), "Untitled - Vantorelle");
  ASSERT_EQ(Doc().timeline.tracks.size(), 6u);
  const TrackAreaPicture picture = Picture();
  ASSERT_EQ(picture.rows.size(), 6u) << "area " << Area().width() << "x" << Area().height();
  for (std::size_t i = 0; i < picture.rows.size(); ++i) {
    EXPECT_EQ(picture.rows[i].track, Doc().timeline.tracks[i].get());
    EXPECT_TRUE(picture.rows[i].clips.empty());
    if (i > 0) {
      EXPECT_GE(picture.rows[i].rect.top, picture.rows[i - 1].rect.bottom);
    }
  }
}

TEST_F(MainWindowEditing, ADroppedMovieLandsOnAVideoTrackWithItsSoundLinked) {
  CFilm& clip = PlaceMovie();
  EXPECT_EQ(clip.source->path, dir_.File("movie.avi"));
  EXPECT_NEAR(clip.duration, 2000.0, kFrame);
  EXPECT_TRUE(OnFrameGrid(clip.start));
  ASSERT_NE(Audio(), nullptr);
  ASSERT_EQ(Audio()->clips.size(), 1u);
  EXPECT_TRUE(clip.IsLinkedTo(*Audio()->clips.front()));
  EXPECT_EQ(Audio()->clips.front()->start, clip.start);
  // The area paints it where it was dropped, and the title shows the change.
  const auto shape = ShapeOf(clip);
  ASSERT_TRUE(shape.has_value());
  // The start snaps down to a frame.
  EXPECT_LE(shape->rect.left, 100);
  EXPECT_GE(shape->rect.left, 100 - kFrame / MsPerPixel(clip) - 1);
  EXPECT_EQ(Window().windowTitle(), "Untitled * - Vantorelle");
}

TEST_F(MainWindowEditing, AddSourceFilePlacesTheSourceWhereTheNextClickIs) {
  ui_.openAnswers.push_back(WriteMovie("menu.avi"));
  Window().RunCommand(CommandId::AddSourceFile);
  ASSERT_EQ(ui_.openRequests.size(), 1u);
  ASSERT_TRUE(Area().Controller()->PlacementPending());
  CTrack* video = FirstTrackOfKind(TrackKind::Video);
  const auto row = RowOf(*video);
  ASSERT_TRUE(row.has_value());
  const QPoint at(200, CentreOf(row->rect).y());
  MoveTo(at, false);
  QTest::mouseClick(&Area(), Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_FALSE(Area().Controller()->PlacementPending());
  ASSERT_EQ(video->clips.size(), 1u);
  EXPECT_EQ(video->clips.front()->source->path, dir_.File("menu.avi"));
  const auto shape = ShapeOf(*video->clips.front());
  ASSERT_TRUE(shape.has_value());
  EXPECT_LE(shape->rect.left, 200);
  EXPECT_GE(shape->rect.left, 200 - kFrame / MsPerPixel(*video->clips.front()) - 1);
}

TEST_F(MainWindowEditing, DraggingAClipMovesItAndItsSoundOnTheFrameGrid) {
  CFilm& clip = PlaceMovie();
  const TimeMs before = clip.start;
  const double msPerPixel = MsPerPixel(clip);
  const QPoint grab = CentreOf(ShapeOf(clip)->rect);
  ASSERT_EQ(Area().Controller()->HitTest(grab.x(), grab.y()).zone, HitZone::Body);

  constexpr int kPixels = 37;
  DragWithLeftButton(grab, grab + QPoint(kPixels, 0));

  EXPECT_FALSE(Area().Controller()->Dragging());
  ASSERT_EQ(Video()->clips.size(), 1u);
  EXPECT_NEAR(clip.start - before, kPixels * msPerPixel, msPerPixel + kFrame);
  EXPECT_GT(clip.start, before);
  EXPECT_TRUE(OnFrameGrid(clip.start)) << clip.start;
  EXPECT_EQ(Audio()->clips.front()->start, clip.start);
}

TEST_F(MainWindowEditing, DraggingTheRightEdgeShortensTheClipOnTheFrameGrid) {
  CFilm& clip = PlaceMovie();
  const TimeMs start = clip.start;
  const TimeMs before = clip.duration;
  const double msPerPixel = MsPerPixel(clip);
  const auto edge = RightEdgeOf(clip);
  ASSERT_TRUE(edge.has_value());

  constexpr int kPixels = 30;
  DragWithLeftButton(*edge, *edge - QPoint(kPixels, 0));

  EXPECT_EQ(clip.start, start);
  EXPECT_NEAR(before - clip.duration, kPixels * msPerPixel, msPerPixel + kFrame);
  EXPECT_TRUE(OnFrameGrid(clip.duration)) << clip.duration;
}

TEST_F(MainWindowEditing, ShortcutsOverTheTrackAreaUndoSplitAndDelete) {
  CFilm& placed = PlaceMovie();
  const TimeMs placedAt = placed.start;
  const QPoint grab = CentreOf(ShapeOf(placed)->rect);
  DragWithLeftButton(grab, grab + QPoint(40, 0));
  ASSERT_NE(Video()->clips.front()->start, placedAt);

  PointAt(CentreOf(ShapeOf(*Video()->clips.front())->rect));
  PressKey(Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(Video()->clips.size(), 1u);
  EXPECT_EQ(Video()->clips.front()->start, placedAt) << "Ctrl+Z did not undo the move";

  // Undo gives back copies: the clip is found again, not kept from before.
  CFilm& clip = *Video()->clips.front();
  const QPoint body = CentreOf(ShapeOf(clip)->rect);
  QTest::mouseClick(&Area(), Qt::LeftButton, Qt::NoModifier, body);
  ASSERT_TRUE(clip.IsSelected());
  Doc().times.timeMark = clip.start + 1000.0;
  PointAt(body);
  PressKey(Qt::Key_S, Qt::ShiftModifier);
  ASSERT_EQ(Video()->clips.size(), 2u) << "Shift+S did not split at the time mark";
  EXPECT_EQ(Video()->clips[0]->End(), placedAt + 1000.0);
  EXPECT_EQ(Video()->clips[1]->start, placedAt + 1000.0);

  // Only the second half chosen, then Del.
  const QPoint secondHalf = CentreOf(ShapeOf(*Video()->clips[1])->rect);
  QTest::mouseClick(&Area(), Qt::LeftButton, Qt::NoModifier, secondHalf);
  ASSERT_TRUE(Video()->clips[1]->IsSelected());
  ASSERT_FALSE(Video()->clips[0]->IsSelected());
  PointAt(secondHalf);
  PressKey(Qt::Key_Delete, Qt::NoModifier);
  ASSERT_EQ(Video()->clips.size(), 1u) << "Del did not delete the selected clip";
  EXPECT_EQ(Video()->clips.front()->start, placedAt);
  EXPECT_EQ(Video()->clips.front()->End(), placedAt + 1000.0);
}

}  // namespace
}  // namespace vantorelle::testing
