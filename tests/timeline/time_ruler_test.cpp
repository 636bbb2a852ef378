// The time ruler driven as a user's mouse would: presses, moves and releases
// over the ruler, the edge timers, the double click, mark hovering, the
// context menu's dialogs, and what the widget is told to draw.
#include "timeline/time_ruler.h"

#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/document_fixture.h"
#include "support/recording_view_host.h"
#include "support/timeline_fixtures.h"

namespace vantorelle {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::Optional;

MouseEvent At(int x, int y, bool left = true) {
  MouseEvent event;
  event.x = x;
  event.y = y;
  event.leftButton = left;
  return event;
}

constexpr int kTimeRow = 10;   // above the ticks
constexpr int kRangeRow = 30;  // in the range strip
constexpr int kMarkRow = 22;

// 801 pixels over 0 … 8000 ms: 10 ms a pixel, a frame every 4 pixels.
struct TimeRulerTest : ::testing::Test {
  TimeRulerTest() {
    Doc().timeline.workArea = WorkArea{0.0, 8000.0};
    navigator.SetClientWidth(801);
    ruler.SetClientSize(801, 40);
    ruler.AttachInfoView(&info);
    ruler.Draw();  // chooses the 2000 ms step the edge scrolling moves by
  }
  CVantorelleDoc& Doc() { return project.doc; }
  const ProjectTimes& Times() { return project.doc.times; }
  std::pair<TimeMs, TimeMs> Range() { return {Times().rangeStart, Times().rangeStop}; }
  void Press(int x, int y) { ruler.OnLeftButtonDown(At(x, y)); }
  void Drag(int x, int y) { ruler.OnMouseMove(At(x, y)); }
  void Release(int x, int y) { ruler.OnLeftButtonUp(At(x, y, false)); }
  void Hover(int x, int y) { ruler.OnMouseMove(At(x, y, false)); }
  CUMark& AddMark(TimeMs t, std::string name, std::string comments) {
    CUMark mark(t);
    mark.name = std::move(name);
    mark.comments = std::move(comments);
    Doc().timeline.marks.push_back(mark);
    return Doc().timeline.marks.back();
  }

  testing::TestDocument project;
  testing::NoWorkAreaDisplay display;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  WorkAreaNavigator navigator{project.doc, display, host, timers};
  CInfoView info;
  CTimeLine ruler{project.doc, navigator, host, timers, RulerFont{[](const std::string&) { return 80; }, 12}};
};

TEST_F(TimeRulerTest, DrawKeepsTheStepForScrolling) {
  EXPECT_EQ(Doc().rulerStep, 2000.0);  // 800 / 160 = 5 labels over 8 s
}

TEST_F(TimeRulerTest, PressingAboveTheTicksMovesTheTimeMarkOntoFrames) {
  Press(123, kTimeRow);
  EXPECT_EQ(Times().timeMark, 1200.0);
  EXPECT_TRUE(host.mouseCaptured);
  EXPECT_FALSE(ruler.RangeDragging());
  EXPECT_EQ(info.Text(CInfoView::CurrentTimeMark), "1:200");

  host.repaints.clear();
  Drag(250, kTimeRow);
  EXPECT_EQ(Times().timeMark, 2480.0);
  // The old and the new line are repainted, two pixels either side, and the
  // track area with its line follows while the button is held.
  EXPECT_THAT(host.rectRepaints, Contains(PixelRect{118, 0, 123, 40}));
  EXPECT_THAT(host.rectRepaints, Contains(PixelRect{246, 0, 251, 40}));
  EXPECT_THAT(host.repaints, Contains(RedrawMask::TrackArea));
  Drag(401, kRangeRow);  // a time drag stays one when it passes the strip
  EXPECT_EQ(Times().timeMark, 4000.0);
  EXPECT_EQ(Range(), std::make_pair(0.0, 0.0));
  Release(401, kRangeRow);
  EXPECT_FALSE(host.mouseCaptured);
  EXPECT_FALSE(ruler.TimeDragging());

  Hover(600, kTimeRow);  // no button: the mark stays
  EXPECT_EQ(Times().timeMark, 4000.0);
}

TEST_F(TimeRulerTest, APressJustBeforeTheWorkAreaTakesTheNextFrame) {
  navigator.ApplyWorkArea(WorkArea{1010.0, 9010.0});
  Press(0, kTimeRow);  // 1010 floors to 1000, outside the view
  EXPECT_EQ(Times().timeMark, 1040.0);
}

TEST_F(TimeRulerTest, RangeDragIsOrderedAndTheTimeMarkFollowsIt) {
  Press(100, kRangeRow);
  EXPECT_TRUE(ruler.RangeDragging());
  Drag(250, kRangeRow);
  EXPECT_EQ(Range(), std::make_pair(1000.0, 2480.0));
  Drag(51, kRangeRow);  // back over the anchor
  EXPECT_EQ(Range(), std::make_pair(480.0, 1000.0));
  EXPECT_EQ(Times().timeMark, 480.0);
  EXPECT_EQ(info.Text(CInfoView::RangeStart), "0:480");
  EXPECT_EQ(info.Text(CInfoView::RangeStop), "1:000");
  Drag(-30, kTimeRow);  // beyond the left edge it stops at the start
  EXPECT_EQ(Range(), std::make_pair(0.0, 1000.0));
  Release(-30, kTimeRow);
  EXPECT_TRUE(Times().RangePresent());
  EXPECT_FALSE(host.mouseCaptured);
  EXPECT_FALSE(timers.IsRunning(CTimeLine::kRangeLeftTimer));
}

// 50 ms a pixel: one frame is less than a pixel wide.
struct ZoomedOutRulerTest : TimeRulerTest {
  ZoomedOutRulerTest() {
    Doc().times.projectSize = 60000.0;
    navigator.ApplyWorkArea(WorkArea{0.0, 40000.0});
  }
};

TEST_F(ZoomedOutRulerTest, ARangeNarrowerThanTwoPixelsIsClearedOnRelease) {
  Press(100, kRangeRow);
  Drag(103, kRangeRow);
  Drag(101, kRangeRow);
  EXPECT_EQ(Range(), std::make_pair(5000.0, 5040.0));
  EXPECT_TRUE(Times().RangePresent());
  Release(101, kRangeRow);
  EXPECT_EQ(Range(), std::make_pair(0.0, 0.0));
  EXPECT_FALSE(Times().RangePresent());
  EXPECT_FALSE(ruler.Draw().rangeBar.has_value());
  EXPECT_EQ(info.Text(CInfoView::RangeStop), "0:000");
}

TEST_F(ZoomedOutRulerTest, ARangeOfTwoPixelsIsKept) {
  Press(100, kRangeRow);
  Drag(102, kRangeRow);
  Release(102, kRangeRow);
  EXPECT_EQ(Range(), std::make_pair(5000.0, 5080.0));
}

TEST_F(TimeRulerTest, ATimeDragDoesNotClearATinyRangeSetBefore) {
  Doc().times.rangeStart = 3000.0;
  Doc().times.rangeStop = 3001.0;
  Press(500, kTimeRow);
  Release(500, kTimeRow);
  EXPECT_EQ(Range(), std::make_pair(3000.0, 3001.0));
}

TEST_F(TimeRulerTest, DoubleClickOnAnEmptyProjectLeavesNoRange) {
  Doc().times.rangeStart = 1000.0;
  Doc().times.rangeStop = 2000.0;
  Press(300, kTimeRow);
  Release(300, kTimeRow);
  ruler.OnLeftDoubleClick(At(300, kTimeRow));
  Release(300, kTimeRow);
  EXPECT_EQ(Range(), std::make_pair(0.0, 0.0));
  EXPECT_FALSE(Times().RangePresent());
  EXPECT_FALSE(ruler.Draw().rangeBar.has_value());
}

TEST_F(TimeRulerTest, DoubleClickSpansTheRangeOverEveryClip) {
  testing::PlaceClip(project.Track(0), 1000.0, 3000.0);
  testing::PlaceClip(project.Track(3), 2000.0, 5500.0, SourceFlags::AudioStream);
  testing::PlaceClip(project.Track(3), 100.0, 400.0, SourceFlags::AudioStream);
  ruler.OnLeftDoubleClick(At(300, kTimeRow));
  EXPECT_EQ(Range(), std::make_pair(0.0, 7500.0));
  EXPECT_TRUE(Times().RangePresent());
  EXPECT_THAT(ruler.Draw().rangeBar, Optional(PixelRect{0, 26, 750, 34}));
  EXPECT_EQ(info.Text(CInfoView::RangeStop), "7:500");
}

TEST_F(TimeRulerTest, RangeDragBeyondTheRightEdgeScrollsUntilTheProjectEnd) {
  Press(700, kRangeRow);
  Drag(790, kRangeRow);
  EXPECT_TRUE(timers.running.empty());
  Drag(820, kRangeRow);
  EXPECT_THAT(timers.running, ElementsAre(std::make_pair(CTimeLine::kRangeRightTimer, 250)));

  ruler.OnTimer(CTimeLine::kRangeRightTimer);
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{2000.0, 10000.0}));
  EXPECT_EQ(Range(), std::make_pair(7000.0, 10000.0));
  EXPECT_EQ(Times().timeMark, 10000.0);
  for (int tick = 0; tick < 10 && timers.IsRunning(CTimeLine::kRangeRightTimer); ++tick) {
    ruler.OnTimer(CTimeLine::kRangeRightTimer);
  }
  EXPECT_FALSE(timers.IsRunning(CTimeLine::kRangeRightTimer));
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{12000.0, 20000.0}));
  EXPECT_EQ(Range(), std::make_pair(7000.0, 20000.0));

  ruler.OnTimer(CTimeLine::kRangeRightTimer);  // a late tick changes nothing
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{12000.0, 20000.0}));
  Release(820, kRangeRow);
  EXPECT_EQ(Range(), std::make_pair(7000.0, 20000.0));
}

TEST_F(TimeRulerTest, TimeDragBeyondTheLeftEdgeScrollsToTheStart) {
  navigator.ApplyWorkArea(WorkArea{4000.0, 12000.0});
  Press(100, kTimeRow);
  Drag(-20, kTimeRow);
  EXPECT_EQ(Times().timeMark, 4000.0);
  EXPECT_THAT(timers.running, ElementsAre(std::make_pair(CTimeLine::kTimeLeftTimer, 100)));
  ruler.OnTimer(CTimeLine::kTimeLeftTimer);
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{2000.0, 10000.0}));
  EXPECT_EQ(Times().timeMark, 2000.0);
  EXPECT_EQ(info.Text(CInfoView::CurrentTimeMark), "2:000");
  ruler.OnTimer(CTimeLine::kTimeLeftTimer);
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{0.0, 8000.0}));
  EXPECT_EQ(Times().timeMark, 0.0);
  EXPECT_TRUE(timers.running.empty());
}

TEST_F(TimeRulerTest, EdgeTimersStopWhenTheMouseComesBackOrIsReleased) {
  navigator.ApplyWorkArea(WorkArea{4000.0, 12000.0});
  Press(100, kTimeRow);
  Drag(-5, kTimeRow);
  Drag(-40, kTimeRow);  // still beyond: the same timer keeps running
  EXPECT_THAT(timers.running, ElementsAre(std::make_pair(CTimeLine::kTimeLeftTimer, 100)));
  Drag(810, kTimeRow);  // over to the other side
  EXPECT_THAT(timers.running, ElementsAre(std::make_pair(CTimeLine::kTimeRightTimer, 100)));
  Drag(400, kTimeRow);
  EXPECT_TRUE(timers.running.empty());
  ruler.OnTimer(CTimeLine::kTimeRightTimer);  // a tick already queued
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{4000.0, 12000.0}));

  Drag(900, kTimeRow);
  Release(900, kTimeRow);
  EXPECT_TRUE(timers.running.empty());
}

TEST_F(TimeRulerTest, AMarkUnderTheMouseShowsItsCommentCutAt299) {
  AddMark(2000.0, "Cue", std::string(301, 'c'));
  Hover(204, kMarkRow);
  EXPECT_FALSE(ruler.TooltipActive());
  Hover(200, 18);  // above the triangle
  EXPECT_FALSE(ruler.TooltipActive());
  Hover(197, 25);
  ASSERT_TRUE(ruler.TooltipActive());
  EXPECT_EQ(ruler.TooltipText(), std::string(299, 'c'));

  Doc().timeline.marks.front().comments = std::string(300, 'd');
  EXPECT_EQ(ruler.TooltipText().size(), 300u);
  Hover(500, kMarkRow);
  EXPECT_FALSE(ruler.TooltipActive());
  EXPECT_EQ(ruler.TooltipText(), "");
}

TEST_F(TimeRulerTest, PressingOnAMarkMovesItToTheExactTime) {
  AddMark(2000.0, "A", "");
  AddMark(6000.0, "B", "");
  Hover(201, kMarkRow);
  EXPECT_EQ(ruler.MarkUnderMouse(), &Doc().timeline.marks[0]);
  Press(201, kMarkRow);
  EXPECT_EQ(Doc().timeline.marks[0].time, 2010.0);
  EXPECT_EQ(Doc().timeline.marks[1].time, 6000.0);
  EXPECT_EQ(Times().timeMark, 2000.0);
}

TEST_F(TimeRulerTest, AMarkListReplacedByUndoLeavesNoStaleMark) {
  AddMark(2000.0, "A", "note");
  Hover(200, kMarkRow);
  Doc().timeline.marks.clear();
  EXPECT_EQ(ruler.MarkUnderMouse(), nullptr);
  EXPECT_EQ(ruler.TooltipText(), "");
}

TEST_F(TimeRulerTest, ContextMenuOffersTheTwoDialogs) {
  const auto items = ruler.OpenContextMenu(320, 12);
  EXPECT_THAT(items, ElementsAre(Field(&MenuItem::text, "Set current time..."), Field(&MenuItem::text, "Set range...")));
  EXPECT_EQ(ruler.LastContextMenuPoint(), (RulerPoint{320, 12}));
  EXPECT_EQ(CTimeLine::ChooseMenuItem(items[0].id), TimeRulerChoice::SetCurrentTimeDialog);
  EXPECT_EQ(CTimeLine::ChooseMenuItem(items[1].id), TimeRulerChoice::SetRangeDialog);
  EXPECT_EQ(CTimeLine::ChooseMenuItem(0), TimeRulerChoice::None);
}

TEST_F(TimeRulerTest, SetCurrentTimeMovesTheWorkAreaAndRebuildsTheZoom) {
  navigator.ApplyWorkArea(WorkArea{11000.0, 14000.0});
  ruler.ApplyCurrentTime("00:00:05:030");
  EXPECT_EQ(Times().timeMark, 5000.0);
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{3530.0, 6530.0}));
  EXPECT_EQ(navigator.ScrollPosition(), 3530);
  ASSERT_LT(static_cast<std::size_t>(Doc().currentZoomIndex), Doc().zoomLadder.size());
  const CZoomData& current = Doc().zoomLadder[static_cast<std::size_t>(Doc().currentZoomIndex)];
  EXPECT_EQ(current.start, 3530.0);
  EXPECT_EQ(current.stop, 6530.0);
  EXPECT_EQ(info.Text(CInfoView::CurrentTimeMark), "5:000");
}

TEST_F(TimeRulerTest, SetRangeStoresTheDialogsRangeOnFrames) {
  SetRangeDialog dialog(Times());
  dialog.ChangeLeft("00:00:01:010");
  dialog.ChangeRight("00:00:02:030");
  ruler.ApplyRange(dialog);
  EXPECT_EQ(Range(), std::make_pair(1000.0, 2040.0));
  EXPECT_EQ(info.Text(CInfoView::RangeStart), "1:000");
  EXPECT_THAT(ruler.Draw().rangeBar, Optional(PixelRect{100, 26, 204, 34}));
}

TEST_F(TimeRulerTest, PictureHasMarksTheTimeLineAndTheStrip) {
  AddMark(3000.0, "Intro", "").group = 12;
  AddMark(9000.0, "Beyond", "");  // outside the work area
  Doc().times.timeMark = 4500.0;
  const TimeRulerPicture picture = ruler.Draw();
  EXPECT_EQ(picture.baselineY, 25);
  EXPECT_EQ(picture.labelTop, 7);  // 25 − 1.5 × 12
  EXPECT_EQ(picture.rangeStrip, (PixelRect{0, 25, 801, 35}));
  ASSERT_EQ(picture.marks.size(), 1u);
  EXPECT_THAT(picture.marks[0].triangle, ElementsAre(RulerPoint{297, 25}, RulerPoint{300, 19}, RulerPoint{303, 25}));
  EXPECT_EQ(picture.marks[0].name, "Intro");
  EXPECT_EQ(picture.marks[0].namePosition, (RulerPoint{300, 5}));
  EXPECT_EQ(picture.marks[0].colour, 0x800080u);
  EXPECT_THAT(picture.currentTimeX, Optional(450));
  EXPECT_THAT(picture.scale.majorTicksX, ElementsAre(0, 200, 400, 600, 800));

  Doc().times.timeMark = 8500.0;
  EXPECT_FALSE(ruler.Draw().currentTimeX.has_value());
}

TEST_F(TimeRulerTest, RangeBarShowsFromThePressOfARangeDrag) {
  Press(300, kRangeRow);
  EXPECT_THAT(ruler.Draw().rangeBar, Optional(PixelRect{0, 26, 0, 34}));  // range (0, 0) so far
  Drag(400, kRangeRow);
  EXPECT_THAT(ruler.Draw().rangeBar, Optional(PixelRect{300, 26, 400, 34}));
}

TEST(InfoViewTest, StartsWithZeroTextsAndFollowsTheDisplayMode) {
  testing::VideoStandardScope pal{VideoStandard{}};
  CInfoView info;
  EXPECT_THAT(info.Rows(), ElementsAre(Field(&InfoViewRow::label, "Range start"),
                                       Field(&InfoViewRow::label, "Range stop"),
                                       Field(&InfoViewRow::label, "Current time mark")));
  for (const InfoViewRow& row : info.Rows()) EXPECT_EQ(row.text, "00:00:00:000");

  ProjectTimes times;
  times.rangeStart = 1000.0;
  times.rangeStop = 2040.0;
  times.timeMark = 400.0;
  EXPECT_TRUE(info.Update(times, static_cast<std::int32_t>(TimeDisplayMode::Frames)));
  EXPECT_EQ(info.Text(CInfoView::RangeStart), "25");
  EXPECT_EQ(info.Text(CInfoView::RangeStop), "51");
  EXPECT_EQ(info.Text(CInfoView::CurrentTimeMark), "10");
  EXPECT_FALSE(info.Update(times, static_cast<std::int32_t>(TimeDisplayMode::Frames)));
}

}  // namespace
}  // namespace vantorelle
