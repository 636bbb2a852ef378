// Zooming, scrolling and paging the work area, and the wheel and shuttle.
#include "timeline/work_area_navigator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/document_fixture.h"
#include "support/recording_view_host.h"

namespace vantorelle {
namespace {

class RecordingDisplay : public IWorkAreaDisplay {
 public:
  void ShowWorkArea(const WorkAreaDisplay& display) override { shown.push_back(display); }
  void ShowCurrentTime(TimeMs t) override { times.push_back(t); }
  std::vector<WorkAreaDisplay> shown;
  std::vector<TimeMs> times;
};

struct NavigatorFixture : ::testing::Test {
  NavigatorFixture() { navigator.SetClientWidth(801); }
  CVantorelleDoc& Doc() { return project.doc; }
  WorkArea Area() { return Doc().timeline.workArea; }

  testing::TestDocument project;
  RecordingDisplay display;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  WorkAreaNavigator navigator{project.doc, display, host, timers};
};

TEST_F(NavigatorFixture, TimeAndPixelsMapOverTheClientWidth) {
  const WorkAreaView view(WorkArea{1000.0, 9000.0}, 801);
  EXPECT_EQ(view.TimeToPixel(1000.0), 0);
  EXPECT_EQ(view.TimeToPixel(9000.0), 800);
  EXPECT_EQ(view.TimeToPixel(1004.0), 0);  // 0.4 px + 0.499 truncates
  EXPECT_EQ(view.TimeToPixel(1006.0), 1);
  EXPECT_EQ(view.TimeToPixel(0.0), -99);  // before the work area: negative, cut toward zero
  EXPECT_EQ(view.PixelToTime(400), 5000.0);
  // A work area without width maps with 0.001 ms instead of dividing by zero.
  EXPECT_EQ(WorkAreaView(WorkArea{50.0, 50.0}, 801).TimeToPixel(50.001), 800);
}

TEST_F(NavigatorFixture, LadderAroundSixtySecondsInATwentyMinuteProject) {
  Doc().times.projectSize = 1200000.0;
  Doc().timeline.workArea = WorkArea{55000.0, 65000.0};
  navigator.RebuildZoomLadder();
  const auto& ladder = Doc().zoomLadder;
  const auto index = static_cast<std::size_t>(Doc().currentZoomIndex);
  ASSERT_GT(index, 0u);
  EXPECT_EQ(ladder.front().start, 59960.0);  // exactly two frames
  EXPECT_EQ(ladder.front().stop, 60040.0);
  EXPECT_EQ(ladder[index - 1].start, 57500.0);  // 5 s
  EXPECT_EQ(ladder[index - 2].start, 58750.0);  // 2.5 s
  EXPECT_EQ(ladder[index].start, 55000.0);
  EXPECT_EQ(ladder[index + 1].start, 50000.0);  // 20 s around 60 s
  EXPECT_EQ(ladder[index + 2].start, 40000.0);  // 40 s
  EXPECT_EQ(ladder[index + 3].start, 20000.0);  // 80 s
  EXPECT_EQ(ladder[index + 4].start, 0.0);      // 160 s would cross 0
  EXPECT_EQ(ladder[index + 4].stop, 140000.0);
  EXPECT_EQ(ladder[index + 5].start, 0.0);
  EXPECT_EQ(ladder[index + 5].stop, 220000.0);
  EXPECT_EQ(ladder.back().start, 0.0);
  EXPECT_EQ(ladder.back().stop, 1200000.0);
  for (std::size_t i = 1; i < ladder.size(); ++i) {
    EXPECT_GT(ladder[i].stop - ladder[i].start, ladder[i - 1].stop - ladder[i - 1].start);
  }

  // Zoom in and out walk the same ladder without rebuilding it.
  navigator.ZoomIn();
  EXPECT_EQ(Area(), (WorkArea{57500.0, 62500.0}));
  navigator.ZoomOut();
  navigator.ZoomOut();
  EXPECT_EQ(Area(), (WorkArea{50000.0, 70000.0}));
  EXPECT_EQ(Doc().currentZoomIndex, static_cast<std::int32_t>(index + 1));
  EXPECT_EQ(display.shown.back().scrollPage, 20000);
  EXPECT_EQ(display.shown.back().scrollPosition, 50000);
  EXPECT_EQ(display.shown.back().startText, FormatTimeDisplay(50000.0, TimeDisplayMode::Milliseconds));
  EXPECT_DOUBLE_EQ(display.shown.back().frameImageSpan, 20000.0 * 32 / 800);
}

TEST_F(NavigatorFixture, WholeProjectAndNarrowWorkAreas) {
  navigator.ZoomToProject();
  EXPECT_EQ(Area(), (WorkArea{0.0, 20000.0}));
  EXPECT_EQ(Doc().currentZoomIndex + 1, static_cast<std::int32_t>(Doc().zoomLadder.size()));
  navigator.ZoomOut();  // already the widest
  EXPECT_EQ(Area(), (WorkArea{0.0, 20000.0}));

  Doc().timeline.workArea = WorkArea{1000.0, 1050.0};
  navigator.RebuildZoomLadder();
  ASSERT_EQ(Doc().currentZoomIndex, 1);
  EXPECT_EQ(Doc().zoomLadder[0].stop - Doc().zoomLadder[0].start, 80.0);  // wider than the work area

  navigator.ZoomToRange();  // no range: nothing
  EXPECT_EQ(Area(), (WorkArea{1000.0, 1050.0}));
  Doc().times.rangeStart = 2000.0;
  Doc().times.rangeStop = 6000.0;
  navigator.ZoomToRange();
  EXPECT_EQ(Area(), (WorkArea{2000.0, 6000.0}));
}

TEST_F(NavigatorFixture, ScrollingStopsAtBothEnds) {
  Doc().rulerStep = 1000.0;
  navigator.Scroll(ScrollCode::LineRight);
  EXPECT_EQ(Area(), (WorkArea{12000.0, 15000.0}));
  EXPECT_EQ(navigator.ScrollPosition(), 12000);
  for (int i = 0; i < 4; ++i) navigator.Scroll(ScrollCode::PageRight);
  EXPECT_EQ(Area(), (WorkArea{17000.0, 20000.0}));
  EXPECT_EQ(navigator.ScrollPosition(), 17000);
  for (int i = 0; i < 30; ++i) navigator.Scroll(ScrollCode::LineLeft);
  EXPECT_EQ(Area(), (WorkArea{0.0, 3000.0}));
  EXPECT_EQ(navigator.ScrollPosition(), 0);
  navigator.Scroll(ScrollCode::ThumbTrack, 5000);
  EXPECT_EQ(Area(), (WorkArea{5000.0, 8000.0}));
  EXPECT_FALSE(Doc().zoomLadder.empty());  // every scroll rebuilds the ladder
}

TEST_F(NavigatorFixture, StepsPageTheWorkAreaWhenTheMarkLeavesIt) {
  Doc().times.timeMark = 13960.0;  // one frame before the stop
  navigator.StepCurrentTime(1);
  EXPECT_EQ(Doc().times.timeMark, 14000.0);
  EXPECT_EQ(Area(), (WorkArea{13250.0, 16250.0}));  // a quarter in
  navigator.StepCurrentTime(-1);
  EXPECT_EQ(Area(), (WorkArea{13250.0, 16250.0}));  // inside: no paging
  Doc().times.timeMark = 13250.0;
  navigator.StepCurrentTime(-2);
  EXPECT_EQ(Doc().times.timeMark, 13170.0);
  EXPECT_EQ(Area(), (WorkArea{10920.0, 13920.0}));  // three quarters in
  Doc().times.timeMark = 19990.0;
  navigator.StepCurrentTime(5);
  EXPECT_EQ(Doc().times.timeMark, 20000.0);  // not past the project
  EXPECT_EQ(Area(), (WorkArea{17000.0, 20000.0}));
  EXPECT_EQ(display.times.back(), 20000.0);
}

TEST_F(NavigatorFixture, WheelStepsAndTheMiddleButtonShuttles) {
  Doc().times.timeMark = 12000.0;
  navigator.OnWheel(120, MouseEvent{});
  EXPECT_EQ(Doc().times.timeMark, 12040.0);
  navigator.OnWheel(-120, MouseEvent{});
  navigator.OnWheel(-120, MouseEvent{});
  EXPECT_EQ(Doc().times.timeMark, 11960.0);
  MouseEvent left;
  left.leftButton = true;
  navigator.OnWheel(120, left);  // ignored during a drag
  EXPECT_EQ(Doc().times.timeMark, 11960.0);

  navigator.OnMiddleButtonDown();
  EXPECT_TRUE(timers.IsRunning(WorkAreaNavigator::kShuttleTimer));
  navigator.OnTimer(WorkAreaNavigator::kShuttleTimer);  // speed 0: nothing
  EXPECT_EQ(Doc().times.timeMark, 11960.0);
  MouseEvent middle;
  middle.middleButton = true;
  navigator.OnWheel(120, middle);
  navigator.OnWheel(120, middle);
  navigator.OnWheel(120, middle);
  EXPECT_EQ(Doc().times.timeMark, 11960.0);  // the wheel only sets the speed
  navigator.OnTimer(WorkAreaNavigator::kShuttleTimer);
  navigator.OnTimer(WorkAreaNavigator::kShuttleTimer);
  EXPECT_EQ(Doc().times.timeMark, 11960.0 + 6 * 40.0);
  navigator.OnMiddleButtonUp();
  EXPECT_FALSE(timers.IsRunning(WorkAreaNavigator::kShuttleTimer));
}

TEST_F(NavigatorFixture, HugeTimesStayWithinTheScrollBarAndPixelIntegers) {
  constexpr int kLargest = std::numeric_limits<int>::max();
  Doc().times.projectSize = 1e300;
  navigator.ApplyWorkArea(WorkArea{1e299, 1e300});
  ASSERT_FALSE(display.shown.empty());
  EXPECT_EQ(display.shown.back().scrollMax, kLargest);
  EXPECT_EQ(display.shown.back().scrollPage, kLargest);
  EXPECT_EQ(display.shown.back().scrollPosition, kLargest);
  EXPECT_EQ(navigator.ScrollPosition(), kLargest);

  // The last time of a day seen through a work area of no width lies far to
  // the right, the first far to the left; neither wraps round.
  const WorkAreaView narrow(WorkArea{1000.0, 1000.0}, 801);
  EXPECT_GT(narrow.TimeToPixel(86'400'000.0), 800);
  EXPECT_LT(narrow.TimeToPixel(-86'400'000.0), 0);
  EXPECT_EQ(narrow.TimeToPixel(std::nan("")), 0);
  const WorkAreaView usual(WorkArea{0.0, 8000.0}, 801);
  EXPECT_EQ(usual.TimeToPixel(4000.0), 400);
}

// Fades keep three pixels of a clip free; a clip whose start lies far off a
// deeply zoomed view still gets a small positive length, not a negative one
// that would let a fade outgrow its clip.
TEST_F(NavigatorFixture, ThreePixelsAreASmallPositiveLengthEvenFarOffScreen) {
  const WorkAreaView usual(WorkArea{0.0, 8000.0}, 801);
  EXPECT_DOUBLE_EQ(usual.PixelsToTime(4000.0, 3.0), 30.0);
  EXPECT_DOUBLE_EQ(usual.PixelsToTime(4004.0, 3.0), 26.0);  // measured from the clip's column

  const WorkAreaView deep(WorkArea{0.0, 0.001}, 801);
  for (const TimeMs start : {1000.0, -1000.0, 86'400'000.0}) {
    const TimeMs three = deep.PixelsToTime(start, 3.0);
    EXPECT_GT(three, 0.0) << start;
    EXPECT_NEAR(three, 3 * 0.001 / 800, 1e-12) << start;
  }
}

TEST_F(NavigatorFixture, AWorkAreaWithoutEndGetsABoundedLadder) {
  Doc().times.projectSize = 20000.0;
  Doc().timeline.workArea = WorkArea{0.0, std::numeric_limits<double>::infinity()};
  navigator.RebuildZoomLadder();  // once looped, growing the ladder until memory ran out
  EXPECT_LE(Doc().zoomLadder.size(), 130u);
}

}  // namespace
}  // namespace vantorelle
