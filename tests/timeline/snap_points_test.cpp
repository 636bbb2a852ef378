// The snap points a drag is drawn to, and how near an edge must come.
#include "timeline/snap_points.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/document_fixture.h"
#include "support/timeline_fixtures.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;

// 10 ms a pixel: 8000 ms over 801 pixels.
const WorkAreaView kTenMsPerPixel(WorkArea{0.0, 8000.0}, 801);

TEST(SnapPointsTest, AnEdgeEightPixelsOffIsDrawnAndNineIsNot) {
  const SnapPoints points({1000.0});
  for (const TimeMs edge : {1080.0, 920.0}) {
    const auto pull = points.Nearest({edge}, kTenMsPerPixel);
    ASSERT_TRUE(pull) << edge;
    EXPECT_EQ(pull->point, 1000.0);
    EXPECT_EQ(pull->shift, 1000.0 - edge);
  }
  EXPECT_FALSE(points.Nearest({1090.0}, kTenMsPerPixel));
  EXPECT_FALSE(points.Nearest({910.0}, kTenMsPerPixel));
  // The reach is pixels, not time: zoomed in to 1 ms a pixel, 9 ms is too far.
  const WorkAreaView oneMsPerPixel(WorkArea{0.0, 800.0}, 801);
  EXPECT_TRUE(SnapPoints({100.0}).Nearest({108.0}, oneMsPerPixel));
  EXPECT_FALSE(SnapPoints({100.0}).Nearest({109.0}, oneMsPerPixel));
}

TEST(SnapPointsTest, TheNearestPointToAnyEdgeWins) {
  const SnapPoints points({2000.0, 1000.0, 1050.0});
  // The first edge is 30 ms from 1000 and 20 ms from 1050; the second 10 ms from 2000.
  const auto pull = points.Nearest({1030.0, 1990.0}, kTenMsPerPixel);
  ASSERT_TRUE(pull);
  EXPECT_EQ(pull->point, 2000.0);
  EXPECT_EQ(pull->shift, 10.0);
  EXPECT_EQ(pull->edge, 1u);
  const auto first = points.Nearest({1030.0}, kTenMsPerPixel);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->point, 1050.0);
  EXPECT_EQ(first->shift, 20.0);
  EXPECT_FALSE(SnapPoints({}).Nearest({1000.0}, kTenMsPerPixel));
}

TEST(SnapPointsTest, ClipEdgesTimeMarkRangeAndMarksButNotTheDraggedClips) {
  testing::TestDocument project;
  CVantorelleDoc& doc = project.doc;
  CFilm& dragged = testing::PlaceClip(project.Track(0), 1000.0, 400.0);
  CFilm& partner = testing::PlaceClip(project.Track(2), 1000.0, 400.0, SourceFlags::AudioStream);
  testing::PlaceClip(project.Track(1), 3000.0, 1000.0);
  testing::PlaceClip(project.Track(4), 6000.0, 2000.0, SourceFlags::VideoStream);
  doc.times.timeMark = 5000.0;
  EXPECT_THAT(SnapPoints(doc.timeline, doc.times, {&dragged}).Times(),
              ElementsAre(1000.0, 1400.0, 3000.0, 4000.0, 5000.0, 6000.0, 8000.0));
  EXPECT_THAT(SnapPoints(doc.timeline, doc.times, {&dragged, &partner}).Times(),
              ElementsAre(3000.0, 4000.0, 5000.0, 6000.0, 8000.0));

  // A range shorter than a millisecond is no range; a real one gives both
  // ends. Marks count too, and every point goes to its nearest frame.
  doc.times.rangeStart = doc.times.rangeStop = 7000.0;
  doc.timeline.marks.push_back(CUMark(9013.0));
  EXPECT_THAT(SnapPoints(doc.timeline, doc.times, {&dragged, &partner}).Times(),
              ElementsAre(3000.0, 4000.0, 5000.0, 6000.0, 8000.0, 9000.0));
  doc.times.rangeStart = 2000.0;
  doc.times.timeMark = 5030.0;  // while its line is dragged, off the grid
  EXPECT_THAT(SnapPoints(doc.timeline, doc.times, {&dragged, &partner}).Times(),
              ElementsAre(2000.0, 3000.0, 4000.0, 5040.0, 6000.0, 7000.0, 8000.0, 9000.0));
}

}  // namespace
}  // namespace vantorelle
