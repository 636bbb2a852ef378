#include "model/video_format.h"

#include <gtest/gtest.h>

#include <set>

namespace vantorelle {
namespace {

TEST(VideoFormatNames, ReadEveryFormOfName) {
  struct Case {
    const char* name;
    VideoFormat format;
  };
  const Case cases[] = {
      {"pal", {720, 576, 25000}},          {"PAL-wide", {768, 576, 25000}},
      {"ntsc", {720, 480, 29970}},         {"ntsc-vga", {640, 480, 29970}},
      {"1920x1080@25", {1920, 1080, 25000}}, {"1280x720@59.94", {1280, 720, 59940}},
      {"3840x2160@29.97", {3840, 2160, 29970}}, {"1080x1920@30", {1080, 1920, 30000}},
      {"1920X1080@23.976", {1920, 1080, 23976}}, {"1920x1080@23.98", {1920, 1080, 23976}},
      {"1920x1080@25.00", {1920, 1080, 25000}}, {"720p25", {1280, 720, 25000}},
      {"720p50", {1280, 720, 50000}},      {"1080p29.97", {1920, 1080, 29970}},
      {"2160p25", {3840, 2160, 25000}},    {"480p29.97", {854, 480, 29970}},
      {"16x16@60", {16, 16, 60000}},       {"8192x8192@24", {8192, 8192, 24000}},
  };
  for (const Case& each : cases) {
    const auto format = ParseVideoFormatName(each.name);
    ASSERT_TRUE(format) << each.name;
    EXPECT_EQ(*format, each.format) << each.name;
  }
}

TEST(VideoFormatNames, RefuseWhatNoBoardCanRunAndSayWhy) {
  const char* const refused[] = {"", "secam", "1920x1080", "1920x1080@26", "1921x1080@25", "14x14@25",
                                 "8194x8194@25", "-1920x1080@25", "1920x-1080@25", "x@25", "p25",
                                 "1080p", "1080i25", "99999999999x2@25", "1920x1080@25fps"};
  for (const char* name : refused) {
    std::string why;
    EXPECT_FALSE(ParseVideoFormatName(name, &why)) << name;
    EXPECT_FALSE(why.empty()) << name;
  }
  std::string why;
  ParseVideoFormatName("1920x1080@26", &why);
  EXPECT_NE(why.find("29.97"), std::string::npos) << why;
  ParseVideoFormatName("1921x1080@25", &why);
  EXPECT_NE(why.find("even"), std::string::npos) << why;
}

TEST(VideoFormatNames, NameReadsBackToTheSameFormat) {
  for (const VideoFormatPreset& preset : VideoFormatPresets()) {
    const std::string name = VideoFormatName(preset.format);
    const auto back = ParseVideoFormatName(name);
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(*back, preset.format) << name;
  }
  EXPECT_EQ(VideoFormatName({720, 576, 25000}), "pal");
  EXPECT_EQ(VideoFormatName({1280, 720, 59940}), "1280x720@59.94");
  EXPECT_EQ(VideoFormatName({1920, 1080, 23976}), "1920x1080@23.976");
}

TEST(VideoFormatStandard, FollowsTheRateRule) {
  const VideoStandard ntscHd = StandardOf({1920, 1080, 29970});
  EXPECT_EQ(ntscHd.FrameRate, 29970);
  EXPECT_NEAR(ntscHd.FrameDelta, 33.3667, 0.0001);
  EXPECT_NEAR(ntscHd.StartDelay, 333.667, 0.001);
  EXPECT_EQ(ntscHd.FrameWidth, 1920);
  EXPECT_EQ(ntscHd.FrameHeight, 1080);
  const VideoStandard film = StandardOf({3840, 2160, 23976});
  EXPECT_NEAR(film.FrameDelta, 41.7084, 0.0001);
  EXPECT_EQ(FormatOf(film), (VideoFormat{3840, 2160, 23976}));
  // The board's own reading of a rate gives the same standard.
  const VideoStandard fromBoard = VideoStandard::FromBoard(1280, 720, 59.94);
  const VideoStandard fromFormat = StandardOf({1280, 720, 59940});
  EXPECT_EQ(fromBoard.FrameRate, fromFormat.FrameRate);
  EXPECT_DOUBLE_EQ(fromBoard.FrameDelta, fromFormat.FrameDelta);
}

TEST(VideoFormatStandard, ExactRatesAreTheBroadcastFractions) {
  EXPECT_EQ(ExactFrameRate(29970).numerator, 30000);
  EXPECT_EQ(ExactFrameRate(29970).denominator, 1001);
  EXPECT_EQ(ExactFrameRate(23976).numerator, 24000);
  EXPECT_EQ(ExactFrameRate(59940).denominator, 1001);
  EXPECT_EQ(ExactFrameRate(25000).numerator, 25);
  EXPECT_EQ(ExactFrameRate(25000).denominator, 1);
  EXPECT_EQ(FrameRateText(12500), "12.5");
}

TEST(VideoFormatPresets, OfferTheCommonFormatsOnceEach) {
  std::set<std::string> names;
  for (const VideoFormatPreset& preset : VideoFormatPresets()) {
    EXPECT_TRUE(names.insert(preset.name).second) << preset.name;
  }
  for (const char* expected : {"HD 1080p 25", "HD 1080p 29.97", "4K UHD 2160p 25", "PAL SD 720 \u00d7 576 25",
                               "Vertical 1080 \u00d7 1920 30", "HD 720p 59.94"}) {
    EXPECT_EQ(names.count(expected), 1u) << expected;
  }
  EXPECT_TRUE(IsClassicFormat(VideoFormatPresets().back().format));
  EXPECT_FALSE(IsClassicFormat(VideoFormatPresets().front().format));
  EXPECT_TRUE(IsClassicFormat({640, 480, 29970}));
  EXPECT_FALSE(IsClassicFormat({640, 480, 30000}));
}

}  // namespace
}  // namespace vantorelle
