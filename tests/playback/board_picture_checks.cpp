#include "board_picture_checks.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vantorelle::testing {

std::vector<RgbFrame> RenderWholeMovie(BoardOutputRig& rig, const std::string& path, double seconds) {
  auto movie = rig.Movie(path);
  if (!movie) return {};
  auto line = rig.VideoLine();
  auto clip = rig.VideoClip(*movie, 0.0, seconds);
  EXPECT_EQ(line->AddMovie(*clip), KlpOk);
  EXPECT_EQ(line->PutState(KlpStatePrepared), KlpOk);
  EXPECT_EQ(line->PutState(KlpStatePaused), KlpOk);
  EXPECT_EQ(line->PutState(KlpStatePlaying), KlpOk);
  rig.Pump().RunToEnd(1000);
  std::vector<RgbFrame> frames;
  for (const auto& captured : rig.Sink().Frames()) frames.push_back(captured.frame);
  return frames;
}

ColourLevels At(const RgbFrame& frame, int x, int y) {
  const std::uint8_t* p = frame.Pixel(x, y);
  return ColourLevels{p[0], p[1], p[2]};
}

std::string Text(ColourLevels c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

bool Within(ColourLevels c, ColourLevels expected, int levels) {
  return std::abs(c.r - expected.r) <= levels && std::abs(c.g - expected.g) <= levels &&
         std::abs(c.b - expected.b) <= levels;
}

}  // namespace vantorelle::testing
