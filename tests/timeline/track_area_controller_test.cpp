// The track area driven as a user's mouse drives it: press, moves, release,
// with the timeline checked after every step.
#include "timeline/track_area_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/document_fixture.h"
#include "support/recording_view_host.h"
#include "support/timeline_fixtures.h"
#include "timeline/track_area_picture.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::PlaceClip;

// Rows of the default tracks: video 0–24, 24–120; audio 120–216, 216–264;
// slide title 264–360; movable title 360–408. 10 ms a pixel from 0.
struct AreaFixture : ::testing::Test {
  AreaFixture() {
    Doc().timeline.workArea = WorkArea{0.0, 8000.0};
    area.SetClientSize(801, 400);
  }
  CVantorelleDoc& Doc() { return project.doc; }
  CTrack& Track(std::size_t i) { return project.Track(i); }
  CFilm& Clip(std::size_t track, TimeMs start, TimeMs duration, bool selected = false) {
    const SourceFlagBits flags = track < 2 ? SourceFlags::VideoStream | SourceFlags::MovieFile
                                           : SourceFlags::AudioStream | SourceFlags::MovieFile;
    CFilm& clip = PlaceClip(Track(track), start, duration, flags, &movie);
    clip.name = "movie.avi";
    clip.sourceLength = 60000.0;
    clip.selection = selected ? 1 : 0;
    ++movie.usageCount;
    return clip;
  }
  static MouseEvent At(int x, int y, bool left = true) {
    MouseEvent event;
    event.x = x;
    event.y = y;
    event.leftButton = left;
    return event;
  }
  static MouseEvent WithAlt(MouseEvent event) {
    event.alt = true;
    return event;
  }
  // As Drag, with Alt held throughout.
  void AltDrag(int x0, int y0, const std::vector<std::pair<int, int>>& path) {
    area.OnMouseDown(WithAlt(At(x0, y0)));
    for (const auto& [x, y] : path) area.OnMouseMove(WithAlt(At(x, y)));
    area.OnMouseUp(WithAlt(At(path.back().first, path.back().second, false)));
    ExpectConsistent();
  }
  void Drag(int x0, int y0, const std::vector<std::pair<int, int>>& path, bool release = true) {
    area.OnMouseDown(At(x0, y0));
    ExpectConsistent();
    for (const auto& [x, y] : path) {
      area.OnMouseMove(At(x, y));
      ExpectConsistent();
    }
    if (release) {
      area.OnMouseUp(At(path.back().first, path.back().second, false));
      ExpectConsistent();
    }
  }
  std::vector<TimeMs> Starts(std::size_t track) { return project.Starts(track); }
  void ExpectConsistent() {
    project.ExpectConsistent({&movie});
    for (const auto& track : Doc().timeline.tracks) {
      EXPECT_THAT(testing::OverlappingClips(*track), ::testing::IsEmpty()) << track->name;
    }
  }

  testing::TestDocument project;
  CSrc& movie = project.AddSource("/media/movie.avi", 60000.0,
                                  SourceFlags::VideoStream | SourceFlags::AudioStream | SourceFlags::MovieFile);
  testing::NoWorkAreaDisplay display;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  WorkAreaNavigator navigator{project.doc, display, host, timers};
  TrackAreaController area{project.doc, navigator, host, timers};
};

TEST_F(AreaFixture, HoverZonesAndTheClipStatusText) {
  Clip(2, 1000.0, 2000.0);  // x 100 … 300 on the first audio row
  EXPECT_EQ(area.HitTest(101, 130).zone, HitZone::LeftEdge);
  EXPECT_EQ(area.HitTest(200, 130).zone, HitZone::Body);
  EXPECT_EQ(area.HitTest(299, 130).zone, HitZone::RightEdge);
  // Full level: the line is 0.8 × 96 = 76 pixels above the row's bottom minus 2.
  EXPECT_EQ(area.HitTest(200, 216 - 2 - 76).zone, HitZone::Volume);
  EXPECT_EQ(area.HitTest(100, 216 - 2 - 76).zone, HitZone::FadeIn);  // a fade of 0 is grabbed at the edge
  EXPECT_EQ(area.HitTest(100, 130).zone, HitZone::LeftEdge);
  Track(2).clips[0]->fadeIn = 500.0;
  EXPECT_EQ(area.HitTest(150, 216 - 2 - 76).zone, HitZone::FadeIn);
  EXPECT_EQ(area.HitTest(500, 130).zone, HitZone::None);
  Doc().times.timeMark = 2000.0;
  EXPECT_EQ(area.HitTest(201, 130).zone, HitZone::Body);  // over a clip the line is not picked
  Doc().preferences.pickRedLine = 1;
  EXPECT_EQ(area.HitTest(201, 130).zone, HitZone::TimeLine);

  area.OnMouseMove(At(200, 130, false));
  EXPECT_EQ(host.statusTexts.back(), "'movie.avi' start: " + FormatTimeDisplay(1000.0, 0) + "ms, stop: " +
                                         FormatTimeDisplay(3000.0, 0) + "ms, duration: " +
                                         FormatTimeDisplay(2000.0, 0) + "ms");
  area.OnMouseMove(At(600, 130, false));
  EXPECT_EQ(host.statusTexts.back(), "Ready");
}

TEST_F(AreaFixture, EdgeBandsMeetTheBodyAtTwoPixelsAndFadeHandlesAreSixPixelsSquare) {
  CFilm& clip = Clip(2, 1000.0, 2000.0);  // x 100 … 300
  clip.fadeIn = 500.0;                     // handle centred on x 150
  // Each band's shared pixel goes to the band tested first: xs + 2 to the
  // left edge, xe − 2 to the body.
  EXPECT_EQ(area.HitTest(102, 130).zone, HitZone::LeftEdge);
  EXPECT_EQ(area.HitTest(103, 130).zone, HitZone::Body);
  EXPECT_EQ(area.HitTest(298, 130).zone, HitZone::Body);
  EXPECT_EQ(area.HitTest(299, 130).zone, HitZone::RightEdge);
  EXPECT_EQ(area.HitTest(302, 130).zone, HitZone::RightEdge);

  const int lineY = 216 - 2 - 76;
  const TrackAreaPicture picture = PictureTrackArea(Doc(), area, 801, 400);
  ASSERT_EQ(picture.rows[2].clips.size(), 1u);
  EXPECT_EQ(picture.rows[2].clips[0].volumeLineY, lineY);
  const PixelRect handle = picture.rows[2].clips[0].fadeInHandle;
  EXPECT_EQ(handle, (PixelRect{147, lineY - 3, 153, lineY + 3}));
  // The handle grabs exactly the pixels it is drawn on.
  for (int y = lineY - 5; y <= lineY + 5; ++y) {
    for (int x = 144; x <= 156; ++x) {
      const bool inside = x >= handle.left && x < handle.right && y >= handle.top && y < handle.bottom;
      EXPECT_EQ(area.HitTest(x, y).zone == HitZone::FadeIn, inside) << x << "," << y;
    }
  }
}

TEST_F(AreaFixture, ADragOverTwentyPositionsIsOneUndoStep) {
  Clip(0, 1000.0, 500.0);
  std::vector<std::pair<int, int>> path;
  for (int i = 1; i <= 20; ++i) path.emplace_back(120 + i * 8, 10);
  Drag(120, 10, path);
  EXPECT_THAT(Starts(0), ElementsAre(2600.0));
  EXPECT_EQ(Doc().undoHistory.EntryCount(), 2u);  // the click selected (18), the drag moved (21)
  Doc().Undo();
  EXPECT_THAT(Starts(0), ElementsAre(1000.0));
  EXPECT_TRUE(Track(0).clips[0]->IsSelected());

  // A second drag is a second step.
  Drag(120, 10, {{160, 10}});
  Drag(160, 10, {{200, 10}});
  EXPECT_THAT(Starts(0), ElementsAre(1800.0));
  Doc().Undo();
  EXPECT_THAT(Starts(0), ElementsAre(1400.0));
}

TEST_F(AreaFixture, TwoSelectedClipsStopAgainstANeighbour) {
  Clip(0, 1000.0, 480.0, true);
  Clip(0, 2000.0, 480.0, true);
  Clip(0, 3000.0, 480.0, false);
  std::vector<std::pair<int, int>> path;
  // The mouse goes on while the second clip's asked-for start stays short
  // of the neighbour's start.
  for (int x = 130; x <= 220; x += 10) path.emplace_back(x, 10);
  Drag(120, 10, path);
  EXPECT_THAT(Starts(0), ElementsAre(1520.0, 2520.0, 3000.0));  // the second touches the neighbour
}

TEST_F(AreaFixture, AClipCarriedPastANeighbourLandsBeyondIt) {
  Clip(0, 1000.0, 480.0, true);
  Clip(0, 2000.0, 1000.0, false);
  // One quick move asks for a start inside the neighbour: the clip lands
  // right after it rather than stopping in front of it.
  Drag(120, 10, {{250, 10}});
  EXPECT_THAT(Starts(0), ElementsAre(2000.0, 3000.0));
  EXPECT_EQ(Track(0).clips[1]->IsSelected(), true);
  // And back: once the asked-for start is before the neighbour's, it goes
  // in front of it again, its end against the neighbour's start.
  Drag(310, 10, {{290, 10}, {250, 10}, {180, 10}});
  EXPECT_THAT(Starts(0), ElementsAre(1520.0, 2000.0));
  EXPECT_TRUE(Track(0).clips[0]->IsSelected());
  // Step by step, frame after frame, the clip still gets past.
  std::vector<std::pair<int, int>> path;
  for (int x = 156; x <= 300; x += 4) path.emplace_back(x, 10);
  Drag(155, 10, path);
  EXPECT_THAT(Starts(0), ElementsAre(2000.0, 3000.0));
}

TEST_F(AreaFixture, AClipWithNoRoomBeyondANeighbourStaysWhereItWas) {
  Clip(0, 1000.0, 480.0, true);
  Clip(0, 2000.0, 1000.0, false);
  Clip(0, 3200.0, 500.0, false);  // 200 ms between them: too little
  Drag(120, 10, {{250, 10}, {260, 10}});
  EXPECT_THAT(Starts(0), ElementsAre(1000.0, 2000.0, 3200.0));
  // Past both, where there is room, it goes; the end of the clip it lands
  // against is off the frame grid, so it takes the next frame.
  Drag(120, 10, {{350, 10}});
  EXPECT_THAT(Starts(0), ElementsAre(2000.0, 3200.0, 3720.0));
}

TEST_F(AreaFixture, LinkedPartnersAreCarriedPastANeighbourOnTheirOwnTrack) {
  CFilm& picture = Clip(0, 1000.0, 500.0);
  CFilm& sound = Clip(2, 1000.0, 500.0);
  CFilm::Link(picture, sound);
  picture.selection = sound.selection = 1;
  Clip(2, 2000.0, 800.0, false);  // only the sound's track has a clip in the way
  Drag(120, 10, {{130, 10}, {230, 10}});
  EXPECT_EQ(picture.start, 2800.0);
  EXPECT_EQ(sound.start, 2800.0);
  EXPECT_THAT(Starts(2), ElementsAre(2000.0, 2800.0));

  // Another pair selected with them, whose own way is clear, keeps its offset.
  CFilm& picture2 = Clip(0, 5000.0, 500.0, true);
  CFilm& sound2 = Clip(2, 5000.0, 500.0, true);
  CFilm::Link(picture2, sound2);
  Drag(290, 10, {{240, 10}, {220, 10}, {150, 10}});
  EXPECT_EQ(sound.start, 1400.0);  // back in front of the clip in the way
  EXPECT_EQ(picture.start, 1400.0);
  EXPECT_EQ(sound2.start, 3600.0);  // and the second pair stays 2200 ms after the first
  EXPECT_EQ(picture2.start, 3600.0);
}

TEST_F(AreaFixture, AMoveEndsOnTheFrameGridWithoutRunningIntoANeighbour) {
  CFilm& picture = Clip(0, 1000.0, 500.0, true);
  CFilm& sound = Clip(2, 1000.0, 500.0, true);
  CFilm::Link(picture, sound);
  Clip(2, 2000.0, 1010.0, false);  // ends at 3010, between two frames
  Drag(120, 10, {{250, 10}});
  EXPECT_EQ(sound.start, 3040.0);  // floored it would start at 3000, inside the neighbour
  EXPECT_EQ(picture.start, 3040.0);

  // With no frame free either way, a clip keeps the start it stopped at.
  Doc().timeline.DeselectAll();
  CFilm& image = Clip(1, 1000.0, 500.0, true);
  Clip(1, 2000.0, 1010.0, false);
  Clip(1, 3530.0, 500.0, false);
  Drag(120, 60, {{250, 60}});
  EXPECT_EQ(image.start, 3010.0);
}

TEST_F(AreaFixture, SelectedClipsMoveOnlyByAnOffsetThatSuitsThemAll) {
  // Carried past its neighbour, the first clip would need to go at least
  // 1100 ms; the second cannot go more than 500 ms before its own neighbour.
  Clip(0, 1000.0, 500.0, true);
  Clip(0, 1600.0, 500.0, false);
  Clip(1, 1000.0, 500.0, true);
  Clip(1, 2000.0, 500.0, false);
  Drag(120, 10, {{190, 10}});
  EXPECT_THAT(Starts(0), ElementsAre(1000.0, 1600.0));
  EXPECT_THAT(Starts(1), ElementsAre(1000.0, 2000.0));
  Drag(120, 10, {{130, 10}});  // a small move, 100 ms floored to two frames, suits both
  EXPECT_THAT(Starts(0), ElementsAre(1080.0, 1600.0));
  EXPECT_THAT(Starts(1), ElementsAre(1080.0, 2000.0));
}

TEST_F(AreaFixture, MovedClipsChangeToAnotherTrackOfTheirKind) {
  CFilm& picture = Clip(0, 1000.0, 500.0);
  CFilm& sound = Clip(2, 1000.0, 500.0);
  CFilm::Link(picture, sound);
  picture.selection = sound.selection = 1;
  Drag(120, 10, {{120, 60}, {140, 60}});  // down into the second video row
  EXPECT_TRUE(Track(0).clips.empty());
  EXPECT_THAT(Starts(1), ElementsAre(1200.0));
  EXPECT_THAT(Starts(2), ElementsAre(1200.0));  // the audio clip moves along its own track
}

TEST_F(AreaFixture, AClickTakesTheLinkedPartnersAndAltTakesTheClipAlone) {
  CFilm& picture = Clip(0, 1000.0, 1000.0);  // x 100 … 200
  CFilm& sound = Clip(2, 1000.0, 1000.0);
  CFilm::Link(picture, sound);
  Drag(150, 10, {{170, 10}});
  EXPECT_TRUE(sound.IsSelected());
  EXPECT_EQ(picture.start, 1200.0);
  EXPECT_EQ(sound.start, 1200.0);

  AltDrag(170, 10, {{190, 10}});
  EXPECT_FALSE(sound.IsSelected());
  EXPECT_EQ(picture.start, 1400.0);
  EXPECT_EQ(sound.start, 1200.0);
  AltDrag(240, 10, {{260, 10}});  // the right edge, trimmed alone
  EXPECT_EQ(picture.duration, 1200.0);
  EXPECT_EQ(sound.duration, 1000.0);
  EXPECT_EQ(picture.SyncOffset(), 200.0);
  EXPECT_EQ(sound.SyncOffset(), -200.0);

  // A plain click on the selected picture brings the sound back in; both
  // move and keep their slip.
  const std::size_t records = Doc().undoHistory.EntryCount();
  Drag(200, 10, {{180, 10}});
  EXPECT_EQ(Doc().undoHistory.EntryCount(), records + 2);  // the selection, the move
  EXPECT_EQ(picture.start, 1200.0);
  EXPECT_EQ(sound.start, 1000.0);
  Doc().Undo();
  Doc().Undo();
  EXPECT_FALSE(Track(2).clips[0]->IsSelected());
  EXPECT_TRUE(Track(0).clips[0]->IsLinkedTo(*Track(2).clips[0]));
}

TEST_F(AreaFixture, CtrlShiftAndTheRubberBandTakeWholeLinkedGroups) {
  CFilm& picture = Clip(0, 1000.0, 1000.0);  // x 100 … 200
  CFilm& sound = Clip(2, 1000.0, 1000.0);
  CFilm::Link(picture, sound);
  CFilm& other = Clip(1, 3000.0, 500.0);  // x 300 … 350
  CFilm& otherSound = Clip(3, 3000.0, 500.0);
  CFilm::Link(other, otherSound);
  MouseEvent ctrl = At(150, 10);
  ctrl.ctrl = true;
  area.OnMouseDown(ctrl);
  area.OnMouseUp(At(150, 10, false));
  EXPECT_TRUE(sound.IsSelected());
  EXPECT_FALSE(otherSound.IsSelected());
  MouseEvent shift = At(320, 60);
  shift.shift = true;
  area.OnMouseDown(shift);
  area.OnMouseUp(At(320, 60, false));
  EXPECT_TRUE(otherSound.IsSelected());
  EXPECT_TRUE(sound.IsSelected());  // added to, not replaced

  Drag(50, 5, {{120, 20}});  // a band over the picture row only
  EXPECT_TRUE(picture.IsSelected());
  EXPECT_TRUE(sound.IsSelected());
  EXPECT_FALSE(other.IsSelected());
  AltDrag(50, 5, {{120, 20}});
  EXPECT_TRUE(picture.IsSelected());
  EXPECT_FALSE(sound.IsSelected());
}

TEST_F(AreaFixture, RightTrimStopsAtTheFirstFollowingClip) {
  Clip(2, 1000.0, 1000.0);
  Clip(2, 2500.0, 500.0);
  Clip(2, 3500.0, 500.0);
  Drag(200, 130, {{230, 130}, {280, 130}, {400, 130}});
  EXPECT_EQ(Track(2).clips[0]->duration, 1500.0);
  Drag(250, 130, {{110, 130}});  // and never below one frame
  EXPECT_EQ(Track(2).clips[0]->duration, 80.0);  // 100 ms on the frame grid
  EXPECT_EQ(Doc().undoHistory.LastKind(), 0);  // coalescing ends with the button
}

TEST_F(AreaFixture, LeftTrimMovesLinkedClipsAndKeepsTheSourceInView) {
  CFilm& picture = Clip(0, 1000.0, 1000.0);
  CFilm& sound = Clip(2, 1000.0, 1000.0);
  CFilm::Link(picture, sound);
  picture.inPoint = sound.inPoint = 300.0;
  Drag(100, 10, {{150, 10}});
  EXPECT_EQ(picture.start, 1480.0);  // on the frame grid
  EXPECT_EQ(picture.inPoint, 780.0);
  EXPECT_EQ(sound.start, 1480.0);
  EXPECT_EQ(sound.duration, 520.0);
  Drag(150, 10, {{20, 10}});  // not before the start of the source
  EXPECT_EQ(picture.start, 700.0);
  EXPECT_EQ(picture.inPoint, 0.0);
  EXPECT_EQ(sound.duration, 1300.0);
}

TEST_F(AreaFixture, FadeAndVolumeDrags) {
  CFilm& clip = Clip(2, 1000.0, 2000.0);
  clip.selection = 1;
  const int lineY = 216 - 2 - 76;
  Drag(100 + 0, lineY - 1, {{200, lineY}});  // the fade-in handle at the clip start
  EXPECT_EQ(clip.fadeIn, 1000.0);
  Drag(200, lineY - 20, {{200, lineY - 20}});  // a body drag: no change
  Drag(250, lineY, {{250, 216 - 40}});
  const int h = static_cast<int>(0.8 * 96) - 2;
  EXPECT_DOUBLE_EQ(clip.volume, (40.0 - 2.0) / h);
  EXPECT_TRUE(Doc().IsModified());
}

TEST_F(AreaFixture, RubberBandSelectsWhatItMeetsAndClicksRecordSelection) {
  Clip(0, 1000.0, 500.0);
  Clip(2, 1000.0, 500.0);
  Clip(2, 5000.0, 500.0);
  Drag(50, 5, {{200, 60}, {200, 150}});
  EXPECT_TRUE(Track(0).clips[0]->IsSelected());
  EXPECT_TRUE(Track(2).clips[0]->IsSelected());
  EXPECT_FALSE(Track(2).clips[1]->IsSelected());
  EXPECT_EQ(Doc().undoHistory.LastKind(), UndoKind::SelectRectangle);

  area.OnMouseDown(At(520, 130));  // an unselected clip
  area.OnMouseUp(At(520, 130, false));
  EXPECT_TRUE(Track(2).clips[1]->IsSelected());
  EXPECT_FALSE(Track(0).clips[0]->IsSelected());
  area.OnMouseDown(At(700, 130));  // empty space
  area.OnMouseUp(At(700, 130, false));
  EXPECT_FALSE(Track(2).clips[1]->IsSelected());
  // Records: clear (19) and band (17), the click (18), the empty click (19).
  EXPECT_EQ(Doc().undoHistory.EntryCount(), 4u);
  Doc().Undo();
  EXPECT_TRUE(Track(2).clips[1]->IsSelected());
}

TEST_F(AreaFixture, DroppingAMovieMakesLinkedClipsOnTracksWithRoom) {
  Clip(2, 0.0, 80000.0);  // the first audio track is full
  EXPECT_TRUE(area.DragOver(movie, 150, 10));
  ASSERT_EQ(area.PlacementTargets().size(), 2u);
  EXPECT_EQ(area.PlacementTargets()[1].track, &Track(3));
  ASSERT_TRUE(area.Drop(movie, 153, 10));
  ASSERT_EQ(Track(0).clips.size(), 1u);
  ASSERT_EQ(Track(3).clips.size(), 1u);
  const CFilm& picture = *Track(0).clips[0];
  EXPECT_EQ(picture.start, 1520.0);  // on the frame grid
  EXPECT_EQ(picture.duration, 60000.0);
  EXPECT_TRUE(picture.IsLinkedTo(*Track(3).clips[0]));
  EXPECT_TRUE(picture.IsSelected());
  EXPECT_EQ(movie.usageCount, 3);
  EXPECT_EQ(Doc().undoHistory.LastKind(), UndoKind::DropSource);
  EXPECT_EQ(Doc().times.projectSize, 61520.0);  // grown to the new clips' end
  ExpectConsistent();

  // No audio track has room any more: no drop, nothing placed.
  EXPECT_FALSE(area.DragOver(movie, 150, 60));
  EXPECT_FALSE(area.Drop(movie, 150, 60));
  EXPECT_EQ(Doc().timeline.ClipCount(), 3);
}

TEST_F(AreaFixture, PendingPlacementHappensWithTheNextClick) {
  CSrc& sound = project.AddSource("/media/sound.wav", 3000.0, SourceFlags::AudioStream | SourceFlags::MovieFile);
  area.StartPendingPlacement(sound);
  ASSERT_TRUE(area.PlacementPending());
  area.OnMouseMove(At(300, 130, false));
  EXPECT_EQ(area.PlacementTargets().size(), 1u);
  area.OnMouseDown(At(300, 130));
  EXPECT_FALSE(area.PlacementPending());
  ASSERT_EQ(Track(2).clips.size(), 1u);
  EXPECT_EQ(Track(2).clips[0]->start, 3000.0);
  EXPECT_EQ(Doc().undoHistory.LastKind(), UndoKind::PlaceAddedSource);
}

TEST_F(AreaFixture, DraggingPastTheRightEdgeScrollsOnTimerTicks) {
  Doc().rulerStep = 1000.0;
  Clip(0, 7000.0, 500.0);
  Drag(720, 10, {{760, 10}, {820, 10}}, false);
  EXPECT_TRUE(timers.IsRunning(10));
  area.OnTimer(10);
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{1000.0, 9000.0}));
  EXPECT_GT(Track(0).clips[0]->start, 8000.0);  // the clip follows the mouse into the new time
  area.OnMouseMove(At(400, 10));
  EXPECT_FALSE(timers.IsRunning(10));
  area.OnMouseUp(At(400, 10, false));
  EXPECT_EQ(Track(0).clips[0]->start, SnapToFrameFloor(Track(0).clips[0]->start));
  ExpectConsistent();
}

TEST_F(AreaFixture, CurrentTimeLineDragEndsOnAFrame) {
  Doc().times.timeMark = 2000.0;
  Drag(200, 300, {{313, 300}});
  EXPECT_EQ(Doc().times.timeMark, 3120.0);
  area.OnMouseDown(At(312, 300));
  area.OnMouseMove(At(-40, 300));  // clamped to the work area
  EXPECT_EQ(Doc().times.timeMark, 0.0);
  area.OnMouseUp(At(-40, 300, false));
}


TEST_F(AreaFixture, ClipsOutOfStepWithTheirPartnersAreLabelledWithTheSlip) {
  CFilm& picture = Clip(0, 3000.0, 1000.0);
  CFilm& sound = Clip(2, 1000.0, 1000.0);
  CFilm::Link(picture, sound);
  CFilm& trimmed = Clip(1, 5040.0, 960.0);  // trimmed alone: later in and start alike
  CFilm& whole = Clip(3, 5000.0, 1000.0);
  trimmed.inPoint = 40.0;
  CFilm::Link(trimmed, whole);
  auto labels = [&] {
    std::vector<std::string> found;
    for (const RowPicture& row : PictureTrackArea(Doc(), area, 801, 400).rows) {
      for (const ClipPicture& clip : row.clips) found.push_back(clip.syncOffset);
    }
    return found;
  };
  // Rows in track order: the picture, the trimmed one, the sound, the whole one.
  EXPECT_THAT(labels(), ElementsAre("+2:000", "", "-2:000", ""));
  Doc().preferences.timeDisplayMode = 1;  // frames
  EXPECT_THAT(labels(), ElementsAre("+50", "", "-50", ""));
  // Played from 2 s into the movie, the sound at 5 s is back in step with
  // the picture at 3 s.
  sound.inPoint = 2000.0;
  sound.start = 5000.0;
  EXPECT_EQ(sound.SyncOffset(), 0.0);
  EXPECT_EQ(picture.SyncOffset(), 0.0);
  EXPECT_EQ(SyncOffsetLabel(0.0, 0), "");
  EXPECT_EQ(SyncOffsetLabel(-40.0, 0), "-0:040");
}

TEST_F(AreaFixture, PictureHoldsRowsClipsHandlesOutlinesAndTheTimeLine) {
  CFilm& sound = Clip(2, 1000.0, 2000.0, true);
  sound.fadeIn = 500.0;
  sound.volume = 0.5;
  Clip(0, 9000.0, 500.0);  // beyond the work area: not drawn
  Doc().times.timeMark = 4000.0;
  CSrc& shortMovie = project.AddSource("/media/short.avi", 1000.0,
                                       SourceFlags::VideoStream | SourceFlags::AudioStream | SourceFlags::MovieFile);
  ASSERT_TRUE(area.DragOver(shortMovie, 500, 10));
  const TrackAreaPicture picture = PictureTrackArea(Doc(), area, 801, 400);
  ASSERT_EQ(picture.rows.size(), 6u);
  EXPECT_EQ(picture.rows[2].rect, (PixelRect{0, 120, 801, 216}));
  EXPECT_TRUE(picture.rows[0].clips.empty());
  ASSERT_EQ(picture.rows[2].clips.size(), 1u);
  const ClipPicture& drawn = picture.rows[2].clips[0];
  EXPECT_EQ(drawn.rect, (PixelRect{100, 120, 300, 216}));
  EXPECT_TRUE(drawn.selected);
  EXPECT_EQ(drawn.outline, Doc().colours.outline[3]);
  EXPECT_EQ(drawn.volumeLineY, 216 - 2 - 38);
  EXPECT_EQ(drawn.fadeInHandle, (PixelRect{147, 173, 153, 179}));
  EXPECT_EQ(picture.emptyBelow, (PixelRect{0, 408, 801, 408}));
  ASSERT_EQ(picture.placementOutlines.size(), 2u);
  EXPECT_EQ(picture.placementOutlines[0].left, 500);
  EXPECT_EQ(picture.currentTimeX, 400);
  EXPECT_FALSE(picture.selectionRectangle);
}

}  // namespace
}  // namespace vantorelle
