// The ruler's mouse: range and current-time drags, edge timers, the double
// click, the mark tooltip.
#include "timeline/ruler_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/document_fixture.h"
#include "support/recording_view_host.h"
#include "support/timeline_fixtures.h"

namespace vantorelle {
namespace {

// 10 ms a pixel over 0 … 8000 ms.
struct RulerFixture : ::testing::Test {
  RulerFixture() {
    Doc().timeline.workArea = WorkArea{0.0, 8000.0};
    navigator.SetClientWidth(801);
    ruler.SetClientWidth(801);
  }
  CVantorelleDoc& Doc() { return project.doc; }

  testing::TestDocument project;
  testing::NoWorkAreaDisplay display;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  WorkAreaNavigator navigator{project.doc, display, host, timers};
  RulerController ruler{project.doc, navigator, host, timers, [](const std::string&) { return 80; }};
};

TEST_F(RulerFixture, LayoutKeepsTheStepForScrolling) {
  ruler.Layout();
  EXPECT_EQ(Doc().rulerStep, 2000.0);  // 800 / 160 = 5 labels over 8 s
}

TEST_F(RulerFixture, RangeDragFollowsTheMouseAndATinyRangeIsCleared) {
  ruler.OnMouseDown(100, 30);  // in the range strip
  EXPECT_TRUE(host.mouseCaptured);
  ruler.OnMouseMove(250, 30);
  ruler.OnMouseMove(51, 30);
  EXPECT_EQ(Doc().times.rangeStart, 480.0);  // on frames, ordered
  EXPECT_EQ(Doc().times.rangeStop, 1000.0);
  EXPECT_EQ(Doc().times.timeMark, 480.0);
  ruler.OnMouseUp(51, 30);
  EXPECT_TRUE(Doc().times.RangePresent());
  EXPECT_FALSE(host.mouseCaptured);

  ruler.OnMouseDown(300, 30);
  ruler.OnMouseMove(301, 30);
  ruler.OnMouseUp(301, 30);
  EXPECT_EQ(Doc().times.rangeStart, 0.0);
  EXPECT_EQ(Doc().times.rangeStop, 0.0);
}

TEST_F(RulerFixture, TimeDragScrollsOnTimersBeyondTheEdge) {
  Doc().rulerStep = 1000.0;
  ruler.OnMouseDown(400, 10);
  EXPECT_EQ(Doc().times.timeMark, 4000.0);
  ruler.OnMouseMove(900, 10);
  EXPECT_TRUE(timers.IsRunning(RulerController::kTimeRightTimer));
  EXPECT_EQ(timers.running[RulerController::kTimeRightTimer], 100);
  ruler.OnTimer(RulerController::kTimeRightTimer);
  EXPECT_EQ(Doc().timeline.workArea, (WorkArea{1000.0, 9000.0}));
  EXPECT_EQ(Doc().times.timeMark, 9000.0);  // the mark follows to the new edge
  ruler.OnMouseMove(400, 10);
  EXPECT_FALSE(timers.IsRunning(RulerController::kTimeRightTimer));
  ruler.OnMouseUp(400, 10);

  ruler.OnMouseDown(100, 30);
  ruler.OnMouseMove(-5, 30);
  EXPECT_EQ(timers.running[RulerController::kRangeLeftTimer], 250);
  ruler.OnMouseUp(-5, 30);
  EXPECT_TRUE(timers.running.empty());
}

TEST_F(RulerFixture, DoubleClickSpansTheUsedProject) {
  ruler.OnDoubleClick();
  EXPECT_EQ(Doc().times.rangeStop, 0.0);
  EXPECT_FALSE(Doc().times.RangePresent());
  testing::PlaceClip(project.Track(0), 1000.0, 2500.0);
  ruler.OnDoubleClick();
  EXPECT_EQ(Doc().times.rangeStart, 0.0);
  EXPECT_EQ(Doc().times.rangeStop, 3500.0);
}

TEST_F(RulerFixture, MarkTooltipIsCutAt299Characters) {
  Doc().timeline.marks.emplace_back(2000.0);
  Doc().timeline.marks[0].comments = std::string(301, 'c');
  ruler.OnMouseMove(202, 22);
  ASSERT_NE(ruler.MarkUnderMouse(), nullptr);
  EXPECT_EQ(ruler.TooltipText().size(), 299u);
  Doc().timeline.marks[0].comments = std::string(300, 'c');
  EXPECT_EQ(ruler.TooltipText().size(), 300u);
  Doc().timeline.marks.clear();  // as after an undo: no stale mark
  EXPECT_EQ(ruler.MarkUnderMouse(), nullptr);
  ruler.OnMouseMove(500, 22);
  EXPECT_TRUE(ruler.TooltipText().empty());
  const auto menu = ruler.ContextMenu(10, 10);
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].text, "Set current time...");
  EXPECT_EQ(menu[1].id, 0x05B2);
}

}  // namespace
}  // namespace vantorelle

#include "timeline/info_view_texts.h"

namespace vantorelle {
namespace {

TEST_F(RulerFixture, InfoViewShowsTheRangeAndTimeInTheDisplayMode) {
  Doc().times.rangeStart = 1000.0;
  Doc().times.rangeStop = 2000.0;
  Doc().times.timeMark = 1520.0;
  Doc().SetTimeDisplayMode(1);
  const auto texts = InfoViewTexts(Doc());
  EXPECT_EQ(texts[0].first, "Range start");
  EXPECT_EQ(texts[1].first, "Range stop");
  EXPECT_EQ(texts[2].first, "Current time mark");
  EXPECT_EQ(texts[2].second, FormatTimeDisplay(1520.0, 1));
  EXPECT_NE(texts[0].second, FormatTimeDisplay(1000.0, 0));  // frames, not milliseconds
}

}  // namespace
}  // namespace vantorelle
