// The ruler's scale: step choice, tick positions, minor parts and labels.
#include "timeline/ruler_ticks.h"

#include <gtest/gtest.h>

#include "document/ruler_steps.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

// Every label is 80 pixels wide, as in a ruler font with 8-character texts.
int EightyPixels(const std::string&) { return 80; }

TEST(RulerTicks, TenSecondsOnEightHundredPixels) {
  testing::VideoStandardScope pal(VideoStandard{});
  const WorkArea area{10000.0, 20000.0};
  const RulerTicks ms = LayOutRuler(BuildRulerSteps(0), area, 60000.0, 800, 0, EightyPixels);
  EXPECT_EQ(ms.step, 3000.0);  // 799 / 160 = 4 labels, 2500 ms wanted
  EXPECT_EQ(ms.minorParts, 3);
  EXPECT_EQ(ms.firstTick, 9000.0);
  EXPECT_EQ(ms.lastTick, 21000.0);
  EXPECT_EQ(ms.firstX, -80);  // 1000 ms before the start at 0.0799 px/ms
  EXPECT_EQ(ms.lastX, 799 + 80);
  ASSERT_EQ(ms.majorX.size(), 3u);  // 12, 15 and 18 s
  EXPECT_EQ(ms.majorX[0], 160);
  EXPECT_EQ(ms.minorX.size(), 8u);
  ASSERT_EQ(ms.labels.size(), 3u);
  EXPECT_EQ(ms.labels[0].x, 120);  // centred on its tick
  EXPECT_EQ(ms.labels[0].time, 12000.0);

  const RulerTicks frames = LayOutRuler(BuildRulerSteps(1), area, 60000.0, 800, 1, EightyPixels);
  EXPECT_EQ(frames.step, 4000.0);  // 100 frames
  EXPECT_EQ(frames.minorParts, 10);
  EXPECT_EQ(frames.labels[0].text, "300");  // 12 s = frame 300
}

TEST(RulerTicks, MinorPartsAndLabelsAtTheEdges) {
  testing::VideoStandardScope pal(VideoStandard{});
  EXPECT_EQ(MinorParts(2000.0, 0), 2);
  EXPECT_EQ(MinorParts(10000.0, 0), 10);
  EXPECT_EQ(MinorParts(5.0, 0), 5);
  EXPECT_EQ(MinorParts(200.0, 1), 5);    // 5 frames
  EXPECT_EQ(MinorParts(800.0, 1), 2);    // 20 frames
  EXPECT_EQ(MinorParts(2000.0, 1), 5);   // 50 frames
  // A label at the very edge moves inside the view.
  const RulerTicks ticks = LayOutRuler(BuildRulerSteps(0), WorkArea{0.0, 10000.0}, 60000.0, 800, 0, EightyPixels);
  ASSERT_FALSE(ticks.labels.empty());
  EXPECT_EQ(ticks.labels.front().x, 0);
  EXPECT_LE(ticks.labels.back().x + 80, 799);
  // Labels that cannot fit once give no scale rather than a division by zero.
  EXPECT_EQ(LayOutRuler(BuildRulerSteps(0), WorkArea{0.0, 10000.0}, 60000.0, 100, 0, EightyPixels).step, 0.0);
}

}  // namespace
}  // namespace vantorelle
