#include "timeline/track_rows.h"

namespace vantorelle {

void LayOutTrackRows(CTimelineData& timeline, int firstVisibleTrack, int viewHeight) {
  int y = 0;
  int index = 0;
  bool full = false;
  for (const auto& track : timeline.tracks) {
    track->top = track->bottom = 0;
    if (!track->shown) continue;
    if (index++ < firstVisibleTrack || full) continue;
    track->top = y;
    track->bottom = y + track->height;
    y = track->bottom;
    if (y > viewHeight) full = true;
  }
}

std::vector<CTrack*> LaidOutTracks(const CTimelineData& timeline) {
  std::vector<CTrack*> rows;
  for (const auto& track : timeline.tracks) {
    if (track->shown && track->bottom > track->top) rows.push_back(track.get());
  }
  return rows;
}

CTrack* TrackAtRow(const CTimelineData& timeline, int y) {
  for (CTrack* track : LaidOutTracks(timeline)) {
    if (y >= track->top && y < track->bottom) return track;
  }
  return nullptr;
}

}  // namespace vantorelle
