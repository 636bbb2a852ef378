// The max speed field of movable titles: how typed values settle when the
// field is left, the spin control, and the seconds one screen takes.
#include "titles/title_speed.h"

#include <gtest/gtest.h>

#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::VideoStandardScope;

TEST(TitleSpeedField, LeavingTheFieldTruncatesToHundredthsWithinTheSpinRange) {
  EXPECT_EQ(NormaliseTitleSpeed(0.0).text, " 0.01");
  EXPECT_EQ(NormaliseTitleSpeed(0.0).steps, 1);
  EXPECT_EQ(NormaliseTitleSpeed(123.456).text, "100.00");
  EXPECT_EQ(NormaliseTitleSpeed(123.456).steps, 10000);
  EXPECT_EQ(NormaliseTitleSpeed(2.999).text, " 2.99");
  EXPECT_EQ(NormaliseTitleSpeed(2.999).steps, 299);
  EXPECT_EQ(NormaliseTitleSpeed(-5.0).steps, 1);
  EXPECT_DOUBLE_EQ(NormaliseTitleSpeed(7.5).speed, 7.5);
}

TEST(TitleSpeedField, ValuesTypedWithTwoDecimalsKeepThem) {
  // 2.3, 0.29 and 1.13 are just below their hundredths in binary.
  EXPECT_EQ(NormaliseTitleSpeed(2.3).text, " 2.30");
  EXPECT_EQ(NormaliseTitleSpeed(0.29).steps, 29);
  EXPECT_EQ(NormaliseTitleSpeed(1.13).steps, 113);
  EXPECT_EQ(NormaliseTitleSpeed(ParseTitleSpeed("4.35")).text, " 4.35");
}

TEST(TitleSpeedField, TextThatIsNoNumberReadsAsZero) {
  EXPECT_EQ(ParseTitleSpeed("fast"), 0.0);
  EXPECT_EQ(ParseTitleSpeed(""), 0.0);
  EXPECT_EQ(ParseTitleSpeed(" 2.50"), 2.5);
  EXPECT_EQ(NormaliseTitleSpeed(ParseTitleSpeed("fast")).text, " 0.01");
}

TEST(TitleSpeedField, SpinStepsGrowWhileTheControlIsHeld) {
  EXPECT_EQ(SpeedSpinStepsAfterHolding(0.0), 1);
  EXPECT_EQ(SpeedSpinStepsAfterHolding(0.99), 1);
  EXPECT_EQ(SpeedSpinStepsAfterHolding(1.0), 10);
  EXPECT_EQ(SpeedSpinStepsAfterHolding(1.99), 10);
  EXPECT_EQ(SpeedSpinStepsAfterHolding(2.0), 100);
  EXPECT_EQ(SpeedOfSteps(0).steps, 1);
  EXPECT_EQ(SpeedOfSteps(20000).text, "100.00");
}

TEST(TitleSecondsPerScreen, AcrossTheWidthOrTheHeightOfTheFrame) {
  VideoStandardScope pal{VideoStandard{}};
  EXPECT_EQ(SecondsPerScreenText(0, 1.0), "14.400");
  EXPECT_EQ(SecondsPerScreenText(1, 1.0), "14.400");
  EXPECT_EQ(SecondsPerScreenText(2, 2.0), "5.760");
  EXPECT_EQ(SecondsPerScreenText(3, 2.0), "5.760");
  EXPECT_EQ(SecondsPerScreenText(4, 2.0), "0.000");
  EXPECT_EQ(SecondsPerScreenText(-1, 2.0), "0.000");
}

TEST(TitleSecondsPerScreen, TheSpeedIsLimitedToTheTypedRange) {
  VideoStandardScope pal{VideoStandard{}};
  // 0.01 px a field: 0.5 px a second; 720 / 0.5.
  EXPECT_DOUBLE_EQ(SecondsPerScreen(0, 0.0), 1440.0);
  EXPECT_DOUBLE_EQ(SecondsPerScreen(0, 500.0), SecondsPerScreen(0, 100.0));
  EXPECT_EQ(SecondsPerScreenText(0, 100.0), "0.144");
}

TEST(TitleSecondsPerScreen, AStandardWithoutAFrameLengthCountsFortyMilliseconds) {
  VideoStandardScope none{VideoStandardScope::WithFrameDelta(0.0)};
  EXPECT_EQ(SecondsPerScreenText(0, 1.0), "14.400");
  VideoStandardScope ntsc{VideoStandardScope::Ntsc()};
  EXPECT_NEAR(SecondsPerScreen(2, 1.0), 480.0 / (2000.0 / CurrentVideoStandard().FrameDelta), 1e-9);
}

}  // namespace
}  // namespace vantorelle
