// The ruler's scale: the step that fits the labels, ticks, minor parts and
// where the labels go.
#include "timeline/ruler_layout.h"

#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "document/ruler_steps.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::Field;

constexpr std::int32_t kMs = static_cast<std::int32_t>(TimeDisplayMode::Milliseconds);
constexpr std::int32_t kFrames = static_cast<std::int32_t>(TimeDisplayMode::Frames);
constexpr std::int32_t kSmpte = static_cast<std::int32_t>(TimeDisplayMode::Smpte);

RulerFont EightyPixelLabels() { return RulerFont{[](const std::string&) { return 80; }, 12}; }

struct RulerLayoutTest : ::testing::Test {
  RulerLayout Lay(std::int32_t mode, WorkArea area, int width = 800, TimeMs projectSize = 30000.0) {
    steps = BuildRulerSteps(mode);
    return ComputeRulerLayout(RulerLayoutInput{steps, area, projectSize, width, mode}, EightyPixelLabels());
  }

  testing::VideoStandardScope pal{VideoStandard{}};
  std::vector<double> steps;
};

TEST_F(RulerLayoutTest, TenSecondsInMillisecondsTakeThreeSecondStepsInThreeParts) {
  // 799 / 160 = 4 labels, so 2500 ms are wanted and 3000 is the next entry.
  const RulerLayout layout = Lay(kMs, WorkArea{0.0, 10000.0});
  EXPECT_EQ(layout.step, 3000.0);
  EXPECT_EQ(layout.minorParts, 3);
  EXPECT_EQ(layout.firstTick, -3000.0);  // a tick on the start counts as inside
  EXPECT_EQ(layout.lastTick, 12000.0);
  EXPECT_EQ(layout.firstTickX, -240);
  EXPECT_DOUBLE_EQ(layout.pixelsPerStep, 239.7);
  EXPECT_EQ(layout.stepCount, 5);
  EXPECT_THAT(layout.majorTicksX, ElementsAre(0, 239, 479, 719));
  // Two minor ticks in every step, only those inside the view; the second
  // lies on 399.5 − 240 pixels, where rounding may go either way.
  EXPECT_THAT(layout.minorTicksX, ElementsAre(80, AnyOf(159, 160), 319, 399, 559, 639, 799));
}

TEST_F(RulerLayoutTest, TenSecondsInFramesTakeAHundredFramesInTenParts) {
  const RulerLayout layout = Lay(kFrames, WorkArea{0.0, 10000.0});
  EXPECT_EQ(layout.step, 4000.0);
  EXPECT_EQ(layout.minorParts, 10);
  ASSERT_GE(layout.majorTicksX.size(), 2u);
  const auto between = std::count_if(layout.minorTicksX.begin(), layout.minorTicksX.end(), [&](int x) {
    return x > layout.majorTicksX[0] && x < layout.majorTicksX[1];
  });
  EXPECT_EQ(between, 9);
  // The tick at 12 s lies beyond the stop, so 8 s is the last label.
  EXPECT_THAT(layout.labels, ElementsAre(Field(&RulerTickLabel::text, "0"), Field(&RulerTickLabel::text, "100"),
                                         Field(&RulerTickLabel::text, "200")));
}

TEST_F(RulerLayoutTest, OuterLabelsAreKeptInsideTheView) {
  // The stop falls on a tick: its label is the last one and would overflow.
  const RulerLayout layout = Lay(kMs, WorkArea{11000.0, 21000.0});
  ASSERT_EQ(layout.step, 3000.0);
  EXPECT_EQ(layout.lastTick, 21000.0);
  EXPECT_THAT(layout.majorTicksX, ElementsAre(80, 319, 559, 799));
  EXPECT_THAT(layout.labels, ElementsAre(Field(&RulerTickLabel::x, 40), Field(&RulerTickLabel::x, 279),
                                         Field(&RulerTickLabel::x, 519), Field(&RulerTickLabel::x, 720)));
  EXPECT_EQ(layout.labels.back().text, "21:000");

  const RulerLayout fromZero = Lay(kMs, WorkArea{0.0, 10000.0});
  ASSERT_FALSE(fromZero.labels.empty());
  EXPECT_EQ(fromZero.labels.front().time, 0.0);
  EXPECT_EQ(fromZero.labels.front().x, 0);  // centred it would start at −40
  EXPECT_EQ(fromZero.labels.back().x, 719 - 40);
}

TEST_F(RulerLayoutTest, ATickJustBeyondTheStopGetsNoLabel) {
  // 9000 lies a tenth of a millisecond past the stop, yet on the last pixel.
  const RulerLayout layout = Lay(kMs, WorkArea{0.0, 8999.9});
  ASSERT_EQ(layout.step, 3000.0);
  EXPECT_EQ(layout.lastTick, 9000.0);
  EXPECT_EQ(layout.majorTicksX.back(), 799);
  EXPECT_THAT(layout.labels, ElementsAre(Field(&RulerTickLabel::text, "0:000"), Field(&RulerTickLabel::text, "3:000"),
                                         Field(&RulerTickLabel::text, "6:000")));
}

TEST_F(RulerLayoutTest, SmpteLabelsCountFramesInTheLastField) {
  const RulerLayout layout = Lay(kSmpte, WorkArea{0.0, 10000.0});
  ASSERT_EQ(layout.step, 4000.0);
  EXPECT_THAT(layout.labels, ElementsAre(Field(&RulerTickLabel::text, "0:00"), Field(&RulerTickLabel::text, "4:00"),
                                         Field(&RulerTickLabel::text, "8:00")));
  EXPECT_EQ(RulerTimeText(1040.0, kSmpte), "1:01");
}

TEST_F(RulerLayoutTest, MillisecondStepsArePartedByTheirLeadingDigit) {
  EXPECT_EQ(MinorPartsPerStep(1000.0, kMs), 10);
  EXPECT_EQ(MinorPartsPerStep(20.0, kMs), 2);  // "0:020": zeros before the digit do not count
  EXPECT_EQ(MinorPartsPerStep(5000.0, kMs), 5);
  EXPECT_EQ(MinorPartsPerStep(60000.0, kMs), 10);
  EXPECT_EQ(MinorPartsPerStep(180000.0, kMs), 3);
  EXPECT_EQ(MinorPartsPerStep(10800000.0, kMs), 3);
  EXPECT_EQ(MinorPartsPerStep(7.0, kMs), 0);
}

TEST_F(RulerLayoutTest, FrameStepsBelowTenArePartedIntoFrames) {
  EXPECT_EQ(MinorPartsPerStep(40.0, kFrames), 1);
  EXPECT_EQ(MinorPartsPerStep(200.0, kFrames), 5);
  EXPECT_EQ(MinorPartsPerStep(800.0, kSmpte), 2);
  EXPECT_EQ(MinorPartsPerStep(2000.0, kFrames), 5);
  EXPECT_EQ(MinorPartsPerStep(40000.0, kFrames), 10);
}

TEST_F(RulerLayoutTest, NoStepWhenNothingFits) {
  // Labels wider than half the view leave no room for even one.
  steps = BuildRulerSteps(kMs);
  EXPECT_EQ(PickRulerStep(steps, 10000.0, 150, 80), 0.0);
  // Ten hours per label is the widest step of the table.
  EXPECT_EQ(PickRulerStep(steps, 1.0e9, 800, 80), 0.0);
  const RulerLayout layout = Lay(kMs, WorkArea{0.0, 10000.0}, 150);
  EXPECT_EQ(layout.step, 0.0);
  EXPECT_TRUE(layout.majorTicksX.empty());
  EXPECT_TRUE(layout.labels.empty());
}

TEST_F(RulerLayoutTest, TheProjectSizeInTheModeSizesTheStep) {
  steps = BuildRulerSteps(kMs);
  std::vector<std::string> measured;
  const RulerFont font{[&](const std::string& text) {
                         measured.push_back(text);
                         return static_cast<int>(text.size()) * 10;
                       },
                       12};
  // "1:00:00:000" is 110 pixels: 799 / 220 = 3 labels, 3333 ms wanted.
  const RulerLayout layout =
      ComputeRulerLayout(RulerLayoutInput{steps, WorkArea{0.0, 10000.0}, 3600000.0, 800, kMs}, font);
  ASSERT_FALSE(measured.empty());
  EXPECT_EQ(measured.front(), "1:00:00:000");
  EXPECT_EQ(layout.step, 5000.0);
}

}  // namespace
}  // namespace vantorelle
