// The software board chosen by any video format name: HD, 4K, vertical and
// the classic SD ones, with the standard the editor takes from it.
#include <gtest/gtest.h>

#include <memory>

#include "model/time_base.h"
#include "model/video_standard_query.h"
#include "playback/board_selection.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::VideoStandardScope;

TEST(BoardFormats, EveryFormatNameGivesABoardAndStandardOfThatFormat) {
  VideoStandardScope restore{VideoStandard{}};
  struct Case {
    std::vector<std::string> arguments;
    const char* environment;
    int width, height;
    std::int32_t frameRate;
    double frameDelta;
  };
  const Case cases[] = {
      {{"--video-standard", "1920x1080@25"}, nullptr, 1920, 1080, 25000, 40.0},
      {{"--video-standard=720p59.94"}, nullptr, 1280, 720, 59940, 1000.0 / 59.94},
      {{"--video-standard", "2160p23.976"}, nullptr, 3840, 2160, 23976, 1000.0 / 23.976},
      {{}, "1080x1920@30", 1080, 1920, 30000, 1000.0 / 30.0},
      {{"--video-standard", "1080p29.97"}, "pal", 1920, 1080, 29970, 1000.0 / 29.97},
      {{"--video-standard", "8192x16@60"}, nullptr, 8192, 16, 60000, 1000.0 / 60.0},
      {{"--video-standard", "ntsc"}, "2160p25", 720, 480, 29970, 1000.0 / 29.97},
  };
  for (const Case& c : cases) {
    BoardSelection selection = SelectBoard(c.arguments, c.environment);
    ASSERT_TRUE(selection.error.empty()) << selection.error;
    ASSERT_TRUE(QueryBoardStandard(*selection.factory)) << c.width << "x" << c.height;
    const VideoStandard& standard = CurrentVideoStandard();
    EXPECT_EQ(standard.FrameWidth, c.width);
    EXPECT_EQ(standard.FrameHeight, c.height);
    EXPECT_EQ(standard.FrameRate, c.frameRate) << c.width << "x" << c.height;
    EXPECT_NEAR(standard.FrameDelta, c.frameDelta, 1e-9);
    EXPECT_NEAR(standard.StartDelay, 10.0 * c.frameDelta, 1e-8);
    ASSERT_TRUE(selection.wiring);
    // Square pixels except the narrow ones of 720-wide PAL and NTSC.
    const double aspect = selection.wiring->output->Format().pixelAspect;
    EXPECT_EQ(aspect, c.width == 720 ? 8.0 / 9.0 : 1.0) << c.width << "x" << c.height;
  }
}

TEST(BoardFormats, ABadNameSaysWhatIsWrongWithIt) {
  const auto errorOf = [](std::vector<std::string> arguments, const char* environment = nullptr) {
    return SelectBoard(arguments, environment).error;
  };
  const std::string odd = errorOf({"--video-standard", "1921x1080@25"});
  EXPECT_NE(odd.find("1921x1080@25"), std::string::npos) << odd;
  EXPECT_NE(odd.find("even"), std::string::npos) << odd;
  const std::string rate = errorOf({"--video-standard=1080p33"});
  EXPECT_NE(rate.find("29.97"), std::string::npos) << rate;
  const std::string huge = errorOf({}, "8194x4320@25");
  EXPECT_NE(huge.find("8192"), std::string::npos) << huge;
  const std::string unknown = errorOf({"--video-standard", "secam"});
  EXPECT_NE(unknown.find("WIDTHxHEIGHT@RATE"), std::string::npos) << unknown;
  const std::string missing = errorOf({"--video-standard"});
  EXPECT_NE(missing.find("1920x1080@25"), std::string::npos) << missing;
}

}  // namespace
}  // namespace vantorelle
