// The rubber band while the track list scrolls under it: its start stays on
// the point of the track it was drawn from.
#include <gtest/gtest.h>

#include "support/document_fixture.h"
#include "support/recording_view_host.h"
#include "support/timeline_fixtures.h"
#include "timeline/track_area_controller.h"

namespace vantorelle {
namespace {

// Scrolls the document's first visible track as the headers do.
class FirstVisibleTrackScroller : public ITrackScroller {
 public:
  explicit FirstVisibleTrackScroller(CVantorelleDoc& doc) : doc_(doc) {}
  bool ScrollTracks(int delta) override {
    const int next = doc_.preferences.firstVisibleTrack + (delta < 0 ? -1 : 1);
    if (next < 0 || next >= static_cast<int>(doc_.timeline.tracks.size())) return false;
    doc_.preferences.firstVisibleTrack = next;
    return true;
  }

 private:
  CVantorelleDoc& doc_;
};

// Rows of the default tracks from the first: video 24 pixels high, video 96,
// audio 96, audio 48, slide title 96, movable title 48.
struct RubberBandScroll : ::testing::Test {
  RubberBandScroll() {
    project.doc.timeline.workArea = WorkArea{0.0, 8000.0};
    area.SetClientSize(801, 400);
  }
  static MouseEvent At(int x, int y, bool left = true) {
    MouseEvent event;
    event.x = x;
    event.y = y;
    event.leftButton = left;
    return event;
  }
  int BandTop() const {
    const auto band = area.SelectionRectangle();
    EXPECT_TRUE(band.has_value());
    return band ? band->top : 0;
  }

  testing::TestDocument project;
  testing::NoWorkAreaDisplay display;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  FirstVisibleTrackScroller scroller{project.doc};
  WorkAreaNavigator navigator{project.doc, display, host, timers};
  TrackAreaController area{project.doc, navigator, host, timers, &scroller};
};

TEST_F(RubberBandScroll, ScrollingDownShiftsTheStartByTheTrackScrolledOut) {
  area.OnMouseDown(At(50, 30));  // 6 pixels into the second video row (24 … 120)
  area.OnMouseMove(At(60, 450));
  ASSERT_TRUE(timers.IsRunning(4));
  area.OnTimer(4);
  ASSERT_EQ(project.doc.preferences.firstVisibleTrack, 1);
  // The first video row (24 high) left the view: the point is now at 6.
  EXPECT_EQ(BandTop(), 6);
  area.OnTimer(4);
  ASSERT_EQ(project.doc.preferences.firstVisibleTrack, 2);
  EXPECT_EQ(BandTop(), 6 - 96);  // then the second video row went
  area.OnMouseUp(At(60, 450, false));
  project.ExpectConsistent({});
}

TEST_F(RubberBandScroll, ScrollingUpShiftsTheStartByTheTrackScrolledIn) {
  project.doc.preferences.firstVisibleTrack = 2;
  area.OnMouseDown(At(50, 10));  // 10 pixels into the first audio row
  area.OnMouseMove(At(60, -20));
  ASSERT_TRUE(timers.IsRunning(3));
  area.OnTimer(3);
  ASSERT_EQ(project.doc.preferences.firstVisibleTrack, 1);
  area.OnMouseMove(At(60, 300));
  EXPECT_EQ(BandTop(), 10 + 96);  // the second video row came in above it
  area.OnMouseUp(At(60, 300, false));
}

}  // namespace
}  // namespace vantorelle
