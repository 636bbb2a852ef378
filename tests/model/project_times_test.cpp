// The current time mark, the range and the work area, as the two time
// dialogs set them.
#include "model/project_times.h"

#include "model/mark.h"
#include "model/timeline_data.h"
#include "model/work_area_showing.h"

#include <gtest/gtest.h>

#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::VideoStandardScope;

TEST(ProjectTimes, CurrentTimeOutsideTheWorkAreaMovesIt) {
  VideoStandardScope pal(VideoStandard{});
  ProjectTimes times;
  WorkArea area;
  EXPECT_TRUE(times.SetCurrentTime("00:00:30:000", area));  // clamped to the project first
  EXPECT_EQ(times.timeMark, 20000.0);
  EXPECT_EQ(area, (WorkArea{17000.0, 20000.0}));

  area = WorkArea{};
  EXPECT_TRUE(times.SetCurrentTime("00:00:05:030", area));
  EXPECT_EQ(area, (WorkArea{3530.0, 6530.0}));
  EXPECT_EQ(times.timeMark, 5000.0);

  area = WorkArea{};
  EXPECT_FALSE(times.SetCurrentTime("00:00:12:345", area));
  EXPECT_EQ(times.timeMark, 12320.0);
  EXPECT_EQ(area, WorkArea{});

  EXPECT_TRUE(times.SetCurrentTime("00:00:00:500", area));
  EXPECT_EQ(area, (WorkArea{0.0, 3000.0}));  // not before the start of the project
}

TEST(WorkAreaShowing, MovesOnlyWhenTheTimeIsOutOfSightAndKeepsTheWidth) {
  const WorkArea stored;  // 11 s to 14 s, as the settings store's defaults
  EXPECT_EQ(WorkAreaShowing(stored, 12000.0, 20000.0), stored);
  EXPECT_EQ(WorkAreaShowing(stored, 0.0, 20000.0), (WorkArea{0.0, 3000.0}));
  EXPECT_EQ(WorkAreaShowing(stored, 16000.0, 20000.0), (WorkArea{15250.0, 18250.0}));
  EXPECT_EQ(WorkAreaShowing(stored, 19900.0, 20000.0), (WorkArea{17000.0, 20000.0}));
  // Wider than the project: it shows the whole project.
  EXPECT_EQ(WorkAreaShowing(WorkArea{30000.0, 60000.0}, 5000.0, 20000.0), (WorkArea{0.0, 20000.0}));
}

TEST(ProjectTimes, RangeIsStoredOnTheNearestFrames) {
  VideoStandardScope pal(VideoStandard{});
  ProjectTimes times;
  SetRangeDialog dialog(times);
  EXPECT_EQ(dialog.Left(), "00:00:00:000");  // no range yet: the whole project
  EXPECT_EQ(dialog.Right(), "00:00:20:000");
  dialog.ChangeLeft("00:00:01:010");
  dialog.ChangeRight("00:00:02:030");
  EXPECT_EQ(dialog.Size(), "00:00:01:020");
  dialog.Apply(times);
  EXPECT_EQ(times.rangeStart, 1000.0);
  EXPECT_EQ(times.rangeStop, 2040.0);
  EXPECT_TRUE(times.RangePresent());

  SetRangeDialog again(times);
  EXPECT_EQ(again.Left(), "00:00:01:000");
  again.ChangeRight("00:00:00:500");  // not before Left
  EXPECT_EQ(again.Right(), "00:00:01:000");
  again.ChangeLeft("00:00:09:000");  // not after Right
  EXPECT_EQ(again.Left(), "00:00:01:000");
  again.ChangeRight("00:01:00:000");  // not past the project
  EXPECT_EQ(again.Right(), "00:00:20:000");
  again.ChangeRight("00:00:01:000");
  again.Apply(times);
  EXPECT_FALSE(times.RangePresent());
}

TEST(ProjectTimes, RangeEnteredWholeIgnoresTheRangeBefore) {
  VideoStandardScope pal(VideoStandard{});
  ProjectTimes times;
  times.rangeStart = 5000.0;
  times.rangeStop = 8000.0;
  SetRangeDialog earlier(times);
  earlier.Enter("00:00:01:000", "00:00:03:000");  // wholly before the old range
  EXPECT_EQ(earlier.Left(), "00:00:01:000");
  EXPECT_EQ(earlier.Right(), "00:00:03:000");
  EXPECT_EQ(earlier.Size(), "00:00:02:000");

  SetRangeDialog later(times);
  later.Enter("00:00:12:000", "00:00:16:000");  // wholly after it
  later.Apply(times);
  EXPECT_EQ(times.rangeStart, 12000.0);
  EXPECT_EQ(times.rangeStop, 16000.0);

  // The project's bounds still hold: Right no further than its end, Left not past Right.
  SetRangeDialog outside(times);
  outside.Enter("00:00:25:000", "00:00:30:000");
  EXPECT_EQ(outside.Right(), "00:00:20:000");
  EXPECT_EQ(outside.Left(), "00:00:20:000");
}

TEST(ProjectTimes, ProjectSizeOnlyGrows) {
  ProjectTimes times;
  EXPECT_FALSE(times.GrowProjectSize(15000.0));
  EXPECT_TRUE(times.GrowProjectSize(25000.0));
  EXPECT_EQ(times.projectSize, 25000.0);
}

TEST(CUMark, GroupsNameAndColourTheMarks) {
  const auto& groups = MarkGroupNames();
  ASSERT_EQ(groups.size(), 14u);
  EXPECT_EQ(groups[2], "Groupe 1");
  EXPECT_EQ(groups[11], "Groupe 10");
  EXPECT_EQ(groups[13], "Stop playback");
  CUMark mark(1500.0);
  EXPECT_EQ(mark.Colour(), 0x808000u);
  mark.group = 12;
  EXPECT_EQ(mark.Colour(), 0x800080u);
  mark.group = 13;
  EXPECT_EQ(mark.Colour(), 0x0000FFu);

  CTimelineData timeline;
  timeline.marks.push_back(mark);
  EXPECT_EQ(timeline.Copy().marks.at(0).time, 1500.0);  // marks travel with snapshots
}

}  // namespace
}  // namespace vantorelle
