// Where the shown tracks lie in the track area and the headers beside it:
// stacked from the first visible one down, each as high as its track.
#pragma once

#include "model/timeline_data.h"

namespace vantorelle {

// Sets top and bottom of the shown tracks from the first visible one, and
// stops after the first row that reaches below the view. Rows before the
// first visible one and after the last laid out get an empty row.
void LayOutTrackRows(CTimelineData& timeline, int firstVisibleTrack, int viewHeight);

// The laid-out shown track whose row holds y, or none.
CTrack* TrackAtRow(const CTimelineData& timeline, int y);
// The laid-out shown tracks in order, the rows the area draws.
std::vector<CTrack*> LaidOutTracks(const CTimelineData& timeline);

}  // namespace vantorelle
