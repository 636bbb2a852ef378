#include "playback/shown_picture_size.h"

#include <gtest/gtest.h>

namespace vantorelle {
namespace {

TEST(ShownPictureSize, NarrowPixelsAreSeenAtTheirShape) {
  EXPECT_EQ(ShownFrameSize(720, 576, 16.0 / 15.0), (ShownSize{768, 576}));
  EXPECT_EQ(ShownFrameSize(720, 480, 8.0 / 9.0), (ShownSize{640, 480}));
  EXPECT_EQ(ShownFrameSize(1920, 1080, 1.0), (ShownSize{1920, 1080}));
  EXPECT_EQ(ShownFrameSize(1920, 1080, 0.0), (ShownSize{1920, 1080}));  // unknown shape: square
}

TEST(ShownPictureSize, FittedIntoARoomWithItsShapeKept) {
  // A 4K frame in half of a 1280 × 800 screen.
  EXPECT_EQ(FitShownSize({3840, 2160}, {640, 400}), (ShownSize{640, 360}));
  // A vertical frame is limited by the height.
  EXPECT_EQ(FitShownSize({1080, 1920}, {640, 400}), (ShownSize{225, 400}));
  // Never enlarged beyond the picture itself.
  EXPECT_EQ(FitShownSize({768, 576}, {1600, 1200}), (ShownSize{768, 576}));
  EXPECT_EQ(FitShownSize({768, 576}, {0, 0}), (ShownSize{1, 1}));
}

}  // namespace
}  // namespace vantorelle
