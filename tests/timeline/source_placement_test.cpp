// Placing a new source on the tracks: which kinds of clip it offers and
// where they may go.
#include "timeline/source_placement.h"

#include <gtest/gtest.h>

#include "support/document_fixture.h"

namespace vantorelle {
namespace {

TEST(SourcePlacementTest, ALiveSourceFindsNoTrackAndIsNeverPlaced) {
  testing::TestDocument project;
  project.doc.timeline.workArea = WorkArea{0.0, 8000.0};
  CSrc& live = project.AddSource("/dev/video0", 10000.0,
                                 SourceFlags::VideoStream | SourceFlags::AudioStream | SourceFlags::LiveSource);
  const SourcePlacement placement(project.doc, live);
  for (std::size_t i = 0; i < project.doc.timeline.tracks.size(); ++i) {
    CTrack* track = &project.Track(i);
    EXPECT_TRUE(placement.TargetsAt(project.doc, track, 1000.0).empty()) << i;
    EXPECT_FALSE(placement.Place(project.doc, track, 1000.0, 2)) << i;
  }
  EXPECT_EQ(project.doc.timeline.ClipCount(), 0);
  EXPECT_EQ(live.usageCount, 0);
  EXPECT_FALSE(project.doc.IsModified());

  // The same streams from a file are placed.
  CSrc& file = project.AddSource("/media/file.avi", 10000.0,
                                 SourceFlags::VideoStream | SourceFlags::AudioStream | SourceFlags::MovieFile);
  EXPECT_TRUE(SourcePlacement(project.doc, file).Place(project.doc, &project.Track(0), 1000.0, 2));
  EXPECT_EQ(project.doc.timeline.ClipCount(), 2);
  project.ExpectConsistent({&live, &file});
}

}  // namespace
}  // namespace vantorelle
