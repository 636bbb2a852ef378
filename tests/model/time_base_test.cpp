#include "model/time_base.h"

#include <gtest/gtest.h>

#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::VideoStandardScope;

TEST(FrameSnapping, FloorTruncatesToWholeFrames) {
  VideoStandardScope pal{VideoStandard{}};
  EXPECT_EQ(SnapToFrameFloor(79.9), 40.0);
  EXPECT_EQ(SnapToFrameFloor(80.0), 80.0);
  EXPECT_EQ(SnapToFrameFloor(-1.0), 0.0);
  EXPECT_EQ(SnapToFrameFloor(-41.0), -40.0);  // truncation toward zero
}

TEST(FrameSnapping, NtscUsesWholeMillisecondFrameLength) {
  VideoStandardScope ntsc{VideoStandardScope::Ntsc()};
  EXPECT_EQ(SnapToFrameFloor(100.0), 99.0);
  EXPECT_EQ(SnapToFrameNearest(100.0), 99.0);
  EXPECT_EQ(SnapToFrameNearest(116.0), 99.0);   // 3.48 frames → 3
  EXPECT_EQ(SnapToFrameNearest(117.0), 132.0);  // 3.51 → 4, 4 × 33
}

TEST(FrameSnapping, SubMillisecondFrameLengthDoesNotDivideByZero) {
  VideoStandardScope tiny{VideoStandardScope::WithFrameDelta(0.5)};
  EXPECT_EQ(SnapToFrameFloor(12.7), 12.0);
  EXPECT_EQ(SnapToFrameNearest(12.7), 13.0);
  VideoStandardScope zero{VideoStandardScope::WithFrameDelta(0.0)};
  EXPECT_EQ(SnapToFrameFloor(5.0), 5.0);
  EXPECT_EQ(SnapToFrameNearest(5.0), 5.0);
  EXPECT_EQ(FormatFrameCounter(7.0), "7");
}

TEST(VideoStandardFromBoard, NtscRateFigures) {
  const VideoStandard ntsc = VideoStandard::FromBoard(720, 480, 29.97);
  EXPECT_EQ(ntsc.FrameRate, 29970);
  EXPECT_NEAR(ntsc.FrameDelta, 33.366700033, 1e-8);
  EXPECT_NEAR(ntsc.StartDelay, 333.66700033, 1e-7);
  const VideoStandard pal = VideoStandard::FromBoard(720, 576, 25.0);
  EXPECT_EQ(pal.FrameRate, 25000);
  EXPECT_EQ(pal.FrameDelta, 40.0);
  EXPECT_EQ(pal.StartDelay, 400.0);
}

TEST(TimeTexts, FullForm) {
  EXPECT_EQ(FormatTimeFull(0), "00:00:00:000");
  EXPECT_EQ(FormatTimeFull(3'599'999), "00:59:59:999");
  EXPECT_EQ(FormatTimeFull(3'600'000), "01:00:00:000");
  EXPECT_EQ(FormatTimeFull(59'999.9), "00:00:59:999");
  EXPECT_EQ(FormatTimeFull(3'723'004), "01:02:03:004");
  EXPECT_EQ(FormatTimeFull(360'000'000), "100:00:00:000");
}

TEST(TimeTexts, CompactFormCutsLeadingZeroFields) {
  EXPECT_EQ(FormatTimeCompact(0), "0:000");
  EXPECT_EQ(FormatTimeCompact(500), "0:500");
  EXPECT_EQ(FormatTimeCompact(999), "0:999");
  EXPECT_EQ(FormatTimeCompact(1000), "1:000");
  EXPECT_EQ(FormatTimeCompact(1500), "1:500");
  EXPECT_EQ(FormatTimeCompact(12'000), "12:000");
  EXPECT_EQ(FormatTimeCompact(60'000), "1:00:000");
  EXPECT_EQ(FormatTimeCompact(600'000), "10:00:000");
  EXPECT_EQ(FormatTimeCompact(3'600'000), "1:00:00:000");
  EXPECT_EQ(FormatTimeCompact(36'000'000), "10:00:00:000");
}

TEST(TimeTexts, SmpteReplacesMillisecondsByFrames) {
  {
    VideoStandardScope pal{VideoStandard{}};
    EXPECT_EQ(FormatTimeSmpte("1:500"), "1:12");
    EXPECT_EQ(FormatTimeSmpte("0:000"), "0:00");
    EXPECT_EQ(FormatTimeSmpte("1:02:480"), "1:02:12");
    EXPECT_EQ(FormatTimeSmpte("1:999"), "1:24");
    EXPECT_EQ(FormatTimeDisplay(1999, TimeDisplayMode::Smpte), "1:24");
  }
  VideoStandardScope ntsc{VideoStandardScope::Ntsc()};
  EXPECT_EQ(FormatTimeSmpte("1:999"), "1:29");
}

TEST(TimeTexts, DisplayByMode) {
  VideoStandardScope pal{VideoStandard{}};
  EXPECT_EQ(FormatTimeDisplay(1500, TimeDisplayMode::Milliseconds), "1:500");
  EXPECT_EQ(FormatTimeDisplay(1599, TimeDisplayMode::Frames), "39");
  EXPECT_EQ(FormatTimeDisplay(1500, 3), "");
  EXPECT_EQ(FormatTimeDisplay(1500, -1), "");
}

TEST(TimeParsing, CountsFromTheRightAndIgnoresSeparators) {
  EXPECT_EQ(ParseTimeText(""), 0.0);
  EXPECT_EQ(ParseTimeText("12"), 12.0);
  EXPECT_EQ(ParseTimeText("1:500"), 1500.0);
  EXPECT_EQ(ParseTimeText("1:02:03:004"), 3'723'004.0);
  EXPECT_EQ(ParseTimeText("99:99:99:999"), 362'439'999.0);
  EXPECT_EQ(ParseTimeText("00:75:00:000"), 4'500'000.0);
  EXPECT_EQ(ParseTimeText("ab:cd"), 0.0);
  EXPECT_EQ(ParseTimeText("01x02y03z004"), 3'723'004.0);  // separators hold anything
}

TEST(TimeParsing, ClampRewritesOnlyPastTheBounds) {
  std::string atMin = "1:000";
  ClampTimeText(atMin, 1000, 5000);
  EXPECT_EQ(atMin, "00:00:01:000");
  std::string below = "0:500";
  ClampTimeText(below, 1000, 5000);
  EXPECT_EQ(below, "00:00:01:000");
  std::string atMax = "5:000";
  ClampTimeText(atMax, 1000, 5000);
  EXPECT_EQ(atMax, "5:000");
  std::string above = "00:00:09:000";
  ClampTimeText(above, 1000, 5000);
  EXPECT_EQ(above, "00:00:05:000");
  std::string inside = "2:500";
  ClampTimeText(inside, 1000, 5000);
  EXPECT_EQ(inside, "2:500");
}

}  // namespace
}  // namespace vantorelle

namespace vantorelle {
namespace {

TEST(FrameSnapping, FormatsBeyondSdSnapToTheirTrueFrames) {
  {
    testing::VideoStandardScope hd{VideoStandard::FromBoard(1280, 720, 60.0)};
    // Whole milliseconds would give 16 ms frames: a clip dropped at one
    // minute would land 2.4 s early.
    EXPECT_NEAR(SnapToFrameNearest(60000.0), 60000.0, 1e-6);
    EXPECT_NEAR(SnapToFrameFloor(1000.0), 1000.0, 1e-6);
    EXPECT_NEAR(SnapToFrameFloor(1016.0), 1000.0, 1e-6);
    EXPECT_NEAR(SnappingFrameLength(), 1000.0 / 60.0, 1e-9);
    for (int frame = 0; frame < 5000; frame += 7) {
      const TimeMs start = frame * CurrentVideoStandard().FrameDelta;
      EXPECT_EQ(SnapToFrameFloor(start), start) << frame;
      EXPECT_EQ(SnapToFrameNearest(start), start) << frame;
    }
    EXPECT_EQ(SnapToFrameFloor(-1.0), 0.0);
  }
  {
    testing::VideoStandardScope film{VideoStandard::FromBoard(1920, 1080, 23.976)};
    EXPECT_NEAR(SnapToFrameNearest(3'600'000.0), 3'600'000.0, CurrentVideoStandard().FrameDelta / 2);
  }
}

TEST(FrameSnapping, SdFormatsKeepWholeMillisecondFrames) {
  testing::VideoStandardScope ntsc{VideoStandard::FromBoard(720, 480, 29.97)};
  EXPECT_EQ(SnapToFrameFloor(100.0), 99.0);
  EXPECT_EQ(SnapToFrameNearest(100.0), 99.0);
  EXPECT_EQ(SnappingFrameLength(), 33.0);
  testing::VideoStandardScope fifty{VideoStandard::FromBoard(1920, 1080, 50.0)};
  EXPECT_EQ(SnapToFrameFloor(1019.0), 1000.0);  // 20 ms frames are whole anyway
  EXPECT_EQ(SnappingFrameLength(), 20.0);
}

}  // namespace
}  // namespace vantorelle
