// Title regions: the region fields keep a region inside the frame, regions
// that touch do not intersect, and the half-size preview.
#include "titles/title_region.h"

#include <gtest/gtest.h>

namespace vantorelle {
namespace {

const FrameSize kPal{720, 576};

TEST(TitleRegionFields, MovingTheCornerKeepsTheSizeAndStopsAtTheFrame) {
  const TitleRegion region{100, 50, 200, 100};
  EXPECT_EQ(WithLeft(region, 300, kPal), (TitleRegion{300, 50, 200, 100}));
  EXPECT_EQ(WithLeft(region, 600, kPal), (TitleRegion{520, 50, 200, 100}));
  EXPECT_EQ(WithLeft(region, -10, kPal), (TitleRegion{0, 50, 200, 100}));
  EXPECT_EQ(WithTop(region, 500, kPal), (TitleRegion{100, 476, 200, 100}));
  EXPECT_EQ(WithTop(region, -1, kPal), (TitleRegion{100, 0, 200, 100}));
}

TEST(TitleRegionFields, ARegionWiderThanTheFrameHasItsCornerPinnedAtZero) {
  const TitleRegion stored{10, 10, 800, 600};
  EXPECT_EQ(WithLeft(stored, 50, kPal).left, 0);
  EXPECT_EQ(WithTop(stored, 50, kPal).top, 0);
}

TEST(TitleRegionFields, ChangingTheSizeKeepsTheCornerAndCutsAtTheFrame) {
  const TitleRegion region{100, 50, 200, 100};
  EXPECT_EQ(WithWidth(region, 700, kPal), (TitleRegion{100, 50, 620, 100}));
  EXPECT_EQ(WithWidth(region, -5, kPal), (TitleRegion{100, 50, 0, 100}));
  EXPECT_EQ(WithHeight(region, 600, kPal), (TitleRegion{100, 50, 200, 526}));
  EXPECT_EQ(WithHeight(region, 10, kPal), (TitleRegion{100, 50, 200, 10}));
  EXPECT_EQ(WithRight(region, 400, kPal), (TitleRegion{100, 50, 300, 100}));
  EXPECT_EQ(WithRight(region, 900, kPal), (TitleRegion{100, 50, 620, 100}));
  EXPECT_EQ(WithRight(region, 40, kPal), (TitleRegion{100, 50, 0, 100}));
  EXPECT_EQ(WithBottom(region, 576, kPal), (TitleRegion{100, 50, 200, 526}));
  EXPECT_EQ(WithBottom(region, 1000, kPal), (TitleRegion{100, 50, 200, 526}));
  EXPECT_EQ(WithBottom(region, 0, kPal), (TitleRegion{100, 50, 200, 0}));
}

TEST(TitleRegionFields, EveryEditLeavesTheRegionInsideTheFrame) {
  TitleRegion region{0, 0, 80, 80};
  for (int value : {-1000, -1, 0, 1, 79, 300, 575, 576, 577, 719, 720, 721, 5000}) {
    for (auto edit : {WithLeft, WithTop, WithWidth, WithHeight, WithRight, WithBottom}) {
      region = edit(region, value, kPal);
      EXPECT_TRUE(region.Inside(kPal)) << value;
      EXPECT_GE(region.width, 0);
      EXPECT_GE(region.height, 0);
    }
  }
}

TEST(TitleRegionIntersection, TouchingEdgesDoNotIntersect) {
  const TitleRegion a{0, 0, 100, 100};
  EXPECT_FALSE((a.Intersects(TitleRegion{100, 0, 100, 100})));
  EXPECT_FALSE((a.Intersects(TitleRegion{0, 100, 100, 100})));
  EXPECT_FALSE((TitleRegion{100, 0, 100, 100}.Intersects(a)));
  EXPECT_FALSE((TitleRegion{0, 100, 100, 100}.Intersects(a)));
  EXPECT_TRUE((a.Intersects(TitleRegion{99, 0, 100, 100})));
  EXPECT_TRUE((TitleRegion{99, 0, 100, 100}.Intersects(a)));
  EXPECT_TRUE((a.Intersects(TitleRegion{10, 10, 5, 5})));
  EXPECT_FALSE((a.Intersects(TitleRegion{200, 200, 5, 5})));
}

TEST(TitleRegionPreview, HalvedAndNeverThinnerThanTwoPixels) {
  EXPECT_EQ(PreviewSize(kPal), (FrameSize{360, 288}));
  EXPECT_EQ(PreviewRect(TitleRegion{0, 150, 500, 100}), (PixelRect{0, 75, 250, 125}));
  EXPECT_EQ(PreviewRect(TitleRegion{101, 51, 3, 0}), (PixelRect{50, 25, 52, 27}));
}

TEST(TitleRegionTrack, RegionOfAndSetRegionUseTheTrackFields) {
  CTrack track(TrackTypes::TitleSlide, 48);
  SetRegion(track, TitleRegion{1, 2, 3, 4});
  EXPECT_EQ(track.regionLeft, 1);
  EXPECT_EQ(track.regionTop, 2);
  EXPECT_EQ(track.regionWidth, 3);
  EXPECT_EQ(track.regionHeight, 4);
  EXPECT_EQ(RegionOf(track), (TitleRegion{1, 2, 3, 4}));
}

}  // namespace
}  // namespace vantorelle
