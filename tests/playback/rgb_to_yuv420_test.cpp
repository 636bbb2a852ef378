// RGB pictures as the limited-range 4:2:0 YUV that H.264 renders carry.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "playback/rgb_to_yuv420.h"

namespace vantorelle {
namespace {

struct Yuv {
  int y, u, v;
};

// A picture of one colour through the converter: its first luma and chroma sample.
Yuv Converted(std::array<int, 3> rgb, const YuvMatrix& matrix) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 4; ++i) pixels.insert(pixels.end(), {std::uint8_t(rgb[0]), std::uint8_t(rgb[1]), std::uint8_t(rgb[2])});
  std::uint8_t y[4], u[1], v[1];
  RgbToYuv420(pixels.data(), 2, 2, matrix, {y, u, v, 2, 1, 1});
  for (int i = 1; i < 4; ++i) EXPECT_EQ(y[i], y[0]);
  return {y[0], u[0], v[0]};
}

TEST(RgbToYuv420, SeventyFivePercentBarsGetTheirCodeValues) {
  struct Case {
    std::array<int, 3> rgb;
    Yuv bt709, bt601;
  };
  // White, yellow, cyan, green, magenta, red, blue at 75% (191), and black.
  const Case cases[] = {
      {{191, 191, 191}, {180, 128, 128}, {180, 128, 128}}, {{191, 191, 0}, {168, 44, 136}, {162, 44, 142}},
      {{0, 191, 191}, {145, 147, 44}, {131, 156, 44}},     {{0, 191, 0}, {133, 63, 52}, {112, 72, 58}},
      {{191, 0, 191}, {63, 193, 204}, {84, 184, 198}},     {{191, 0, 0}, {51, 109, 212}, {65, 100, 212}},
      {{0, 0, 191}, {28, 212, 120}, {35, 212, 114}},       {{0, 0, 0}, {16, 128, 128}, {16, 128, 128}},
  };
  for (const Case& c : cases) {
    for (const bool hd : {true, false}) {
      const Yuv seen = Converted(c.rgb, hd ? kBt709Matrix : kBt601Matrix);
      const Yuv& want = hd ? c.bt709 : c.bt601;
      const std::string what = std::string(hd ? "BT.709 " : "BT.601 ") + std::to_string(c.rgb[0]) + "," +
                               std::to_string(c.rgb[1]) + "," + std::to_string(c.rgb[2]);
      EXPECT_NEAR(seen.y, want.y, 1) << what;
      EXPECT_NEAR(seen.u, want.u, 1) << what;
      EXPECT_NEAR(seen.v, want.v, 1) << what;
    }
  }
  EXPECT_EQ(Converted({255, 255, 255}, kBt709Matrix).y, 235);
  EXPECT_EQ(Converted({0, 0, 255}, kBt709Matrix).u, 240);
  EXPECT_EQ(Converted({255, 0, 0}, kBt709Matrix).v, 240);
}

TEST(RgbToYuv420, ChromaIsTheMeanOfItsFourPixelsAndOddEdgesStandAlone) {
  // 3 × 3: a red column and row at the odd right and bottom edges, grey elsewhere.
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      const bool red = x == 2 || y == 2;
      pixels.insert(pixels.end(), {std::uint8_t(red ? 255 : 128), std::uint8_t(red ? 0 : 128), std::uint8_t(red ? 0 : 128)});
    }
  }
  std::vector<std::uint8_t> y(9, 0), u(4, 0), v(4, 0);
  RgbToYuv420(pixels.data(), 3, 3, kBt709Matrix, {y.data(), u.data(), v.data(), 3, 2, 2});
  EXPECT_EQ(y[0], y[4]);        // grey
  EXPECT_EQ(y[2], y[8]);        // red
  EXPECT_EQ(u[0], 128);         // four grey pixels
  EXPECT_EQ(v[0], 128);
  EXPECT_EQ(v[1], 240);         // the red column alone
  EXPECT_EQ(v[2], 240);         // the red row alone
  EXPECT_EQ(v[3], 240);
  // A block half red, half black: the mean of the two.
  const std::uint8_t half[12] = {255, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0};
  std::uint8_t hy[4], hu[1], hv[1];
  RgbToYuv420(half, 2, 2, kBt709Matrix, {hy, hu, hv, 2, 1, 1});
  EXPECT_EQ(hv[0], 184);  // 128 + 112 / 2
}

}  // namespace
}  // namespace vantorelle
