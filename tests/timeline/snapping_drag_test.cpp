// Moves, trims and drops in the track area drawn to the snap points near
// the mouse, and the command that switches snapping off.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "document/settings_values.h"
#include "support/document_fixture.h"
#include "support/recording_view_host.h"
#include "support/timeline_fixtures.h"
#include "timeline/command_hub.h"
#include "timeline/track_area_controller.h"
#include "timeline/track_area_picture.h"

namespace vantorelle {
namespace {

using ::testing::Optional;

// Every kind of snap point, each put at 12000 ms.
enum class PointKind { ClipEdge, TimeMark, RangeStart, RangeStop, Mark };

// 40 ms a pixel, one frame: 32000 ms over 801 pixels, so the mouse reaches
// every frame and an edge 8 or 9 pixels off a point is 320 or 360 ms off.
// Rows: video 0–24, 24–120; audio 120–216, 216–264.
struct SnapDrag : ::testing::Test {
  static constexpr TimeMs kPoint = 12000.0;  // x 300

  SnapDrag() {
    Doc().timeline.workArea = WorkArea{0.0, 32000.0};
    Doc().times.projectSize = 80000.0;
    area.SetClientSize(801, 400);
    hub.AttachTrackArea(&area);
  }
  CVantorelleDoc& Doc() { return project.doc; }
  CFilm& Clip(std::size_t track, TimeMs start, TimeMs duration) {
    const SourceFlagBits flags = track < 2 ? SourceFlags::VideoStream | SourceFlags::MovieFile
                                           : SourceFlags::AudioStream | SourceFlags::MovieFile;
    CFilm& clip = testing::PlaceClip(project.Track(track), start, duration, flags, &movie);
    clip.sourceLength = 60000.0;
    ++movie.usageCount;
    return clip;
  }
  void PlaceSnapPoint(PointKind kind) {
    switch (kind) {
      case PointKind::ClipEdge: Clip(2, kPoint, 2000.0); break;
      case PointKind::TimeMark: Doc().times.timeMark = kPoint; break;
      case PointKind::RangeStart: Doc().times.rangeStart = kPoint, Doc().times.rangeStop = 24000.0; break;
      case PointKind::RangeStop: Doc().times.rangeStart = 2000.0, Doc().times.rangeStop = kPoint; break;
      case PointKind::Mark: Doc().timeline.marks.push_back(CUMark(kPoint)); break;
    }
  }
  static MouseEvent At(int x, int y, bool left = true) {
    MouseEvent event;
    event.x = x;
    event.y = y;
    event.leftButton = left;
    return event;
  }
  void Press(int x, int y) {
    area.OnMouseDown(At(x, y));
    ExpectConsistent();
  }
  void MoveTo(int x, int y) {
    area.OnMouseMove(At(x, y));
    ExpectConsistent();
  }
  void Release(int x, int y) {
    area.OnMouseUp(At(x, y, false));
    ExpectConsistent();
    EXPECT_EQ(area.SnapLine(), std::nullopt) << "the line goes with the drag";
  }
  // The line is shown exactly while the drag is drawn to the point.
  void ExpectSnapLine(bool shown) {
    const auto x = PictureTrackArea(Doc(), area, 801, 400).snapLineX;
    if (shown) {
      EXPECT_THAT(area.SnapLine(), Optional(kPoint));
      EXPECT_THAT(x, Optional(300));
    } else {
      EXPECT_EQ(area.SnapLine(), std::nullopt);
      EXPECT_EQ(x, std::nullopt);
    }
  }
  void ExpectConsistent() {
    project.ExpectConsistent({&movie, &shortMovie});
    for (const auto& track : Doc().timeline.tracks) {
      EXPECT_THAT(testing::OverlappingClips(*track), ::testing::IsEmpty()) << track->name;
    }
  }

  testing::TestDocument project;
  CSrc& movie = project.AddSource("/media/movie.avi", 60000.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  CSrc& shortMovie = project.AddSource("/media/short.avi", 2000.0,
                                       SourceFlags::VideoStream | SourceFlags::AudioStream | SourceFlags::MovieFile);
  testing::NoWorkAreaDisplay display;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  WorkAreaNavigator navigator{project.doc, display, host, timers};
  TrackAreaController area{project.doc, navigator, host, timers};
  ClipEditor editor{project.doc, project.ui};
  CommandHub hub{project.doc, editor, navigator, host};
};

struct SnapAtEveryKindOfPoint : SnapDrag, ::testing::WithParamInterface<PointKind> {};

TEST_P(SnapAtEveryKindOfPoint, AMovedClipsEndIsDrawnFromEightPixelsAway) {
  PlaceSnapPoint(GetParam());
  CFilm& clip = Clip(0, 4000.0, 2000.0);  // x 100 … 150
  Press(120, 12);
  MoveTo(261, 12);  // the end 9 pixels short of the point
  EXPECT_EQ(clip.End(), kPoint - 360.0);
  ExpectSnapLine(false);
  MoveTo(262, 12);  // 8 pixels short: drawn to it
  EXPECT_EQ(clip.End(), kPoint);
  ExpectSnapLine(true);
  MoveTo(263, 12);  // held there while the mouse stays near
  EXPECT_EQ(clip.End(), kPoint);
  Release(263, 12);
  EXPECT_EQ(clip.start, 10000.0);
}

TEST_P(SnapAtEveryKindOfPoint, TrimmedEdgesAreDrawnFromEightPixelsAway) {
  PlaceSnapPoint(GetParam());
  CFilm& left = Clip(0, 4000.0, 2000.0);  // right edge at x 150
  Press(150, 12);
  MoveTo(291, 12);
  EXPECT_EQ(left.End(), kPoint - 360.0);
  ExpectSnapLine(false);
  MoveTo(292, 12);
  EXPECT_EQ(left.End(), kPoint);
  ExpectSnapLine(true);
  Release(292, 12);
  EXPECT_EQ(left.End(), kPoint);

  CFilm& right = Clip(1, 14000.0, 6000.0);  // left edge at x 350
  right.inPoint = 5000.0;                    // room to grow to the left
  Press(350, 60);
  MoveTo(309, 60);
  EXPECT_EQ(right.start, kPoint + 360.0);
  ExpectSnapLine(false);
  MoveTo(308, 60);
  EXPECT_EQ(right.start, kPoint);
  EXPECT_EQ(right.inPoint, 3000.0);
  ExpectSnapLine(true);
  Release(308, 60);
  EXPECT_EQ(right.End(), 20000.0);
}

TEST_P(SnapAtEveryKindOfPoint, ADroppedSourceStartsOrEndsAtAPointFromEightPixelsAway) {
  PlaceSnapPoint(GetParam());
  ASSERT_TRUE(area.DragOver(shortMovie, 309, 60));  // starts 9 pixels after the point
  EXPECT_EQ(area.PlacementTargets().at(0).start, kPoint + 360.0);
  ExpectSnapLine(false);
  ASSERT_TRUE(area.DragOver(shortMovie, 241, 60));  // ends 9 pixels before it
  EXPECT_EQ(area.PlacementTargets().at(0).start, kPoint - 2000.0 - 360.0);
  ASSERT_TRUE(area.DragOver(shortMovie, 242, 60));
  EXPECT_EQ(area.PlacementTargets().at(0).start, kPoint - 2000.0);
  ExpectSnapLine(true);

  ASSERT_TRUE(area.Drop(shortMovie, 308, 60));
  ExpectConsistent();
  EXPECT_EQ(area.SnapLine(), std::nullopt);
  const CFilm& picture = *project.Track(1).clips.at(0);
  EXPECT_EQ(picture.start, kPoint);
  EXPECT_EQ(picture.links.at(0)->start, kPoint);  // the sound, wherever it found room
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SnapAtEveryKindOfPoint,
                         ::testing::Values(PointKind::ClipEdge, PointKind::TimeMark, PointKind::RangeStart,
                                           PointKind::RangeStop, PointKind::Mark));

TEST_F(SnapDrag, AClipIsNeverHeldByItsOwnEdgesNorItsPartnersEdges) {
  CFilm& lone = Clip(1, 4000.0, 2000.0);
  Press(120, 60);
  MoveTo(122, 60);  // two pixels from where its start was
  EXPECT_EQ(lone.start, 4080.0);
  Release(122, 60);
  // A right edge trimmed by three pixels: the linked sound's end, trimmed
  // along, does not hold it where it was.
  CFilm& picture = Clip(0, 10000.0, 2000.0);  // x 250 … 300
  CFilm& sound = Clip(2, 10000.0, 2000.0);
  CFilm::Link(picture, sound);
  Press(300, 12);
  MoveTo(303, 12);
  EXPECT_EQ(picture.End(), 12120.0);
  EXPECT_EQ(sound.End(), 12120.0);
  Release(303, 12);
}

TEST_F(SnapDrag, TheCommandSwitchesSnappingOffAndOn) {
  EXPECT_EQ(hub.Update(CommandId::Snapping).enabled, true);
  EXPECT_EQ(hub.Update(CommandId::Snapping).checked, true);  // on by default
  Doc().times.timeMark = kPoint;
  CFilm& clip = Clip(0, 4000.0, 2000.0);
  ASSERT_TRUE(hub.Execute(CommandId::Snapping));
  EXPECT_EQ(hub.Update(CommandId::Snapping).checked, false);
  EXPECT_EQ(Doc().preferences.snapToEdges, 0);
  Press(120, 12);
  MoveTo(262, 12);
  EXPECT_EQ(clip.End(), kPoint - 320.0);
  ExpectSnapLine(false);
  // Switched on in the middle of the drag, which goes on.
  ASSERT_TRUE(hub.Execute(CommandId::Snapping));
  EXPECT_TRUE(area.Dragging());
  MoveTo(263, 12);
  EXPECT_EQ(clip.End(), kPoint);
  ExpectSnapLine(true);
  // And off again: the line goes at once.
  ASSERT_TRUE(hub.Execute(CommandId::Snapping));
  ExpectSnapLine(false);
  Release(263, 12);
  ASSERT_TRUE(area.DragOver(shortMovie, 308, 60));
  EXPECT_EQ(area.PlacementTargets().at(0).start, kPoint + 320.0);
}

TEST(SnapSetting, TheDocumentSectionRemembersTheSwitch) {
  MemorySettingsStore store;
  EXPECT_EQ(LoadDocumentSettings(store, true).preferences.snapToEdges, 1);
  DocumentSettings settings;
  settings.preferences.snapToEdges = 0;
  SaveDocumentSettings(store, settings);
  EXPECT_EQ(ReadSettingsNumber(store, "Document", "Snap To Edges Flag"), 0);
  EXPECT_EQ(LoadDocumentSettings(store, false).preferences.snapToEdges, 0);
}

}  // namespace
}  // namespace vantorelle
