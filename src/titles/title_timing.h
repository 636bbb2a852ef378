// The timing of movable titles that follows from a track's region, direction
// and speed: how long an image takes to travel, and clip lengths that follow
// a change of speed or direction.
#pragma once

#include <cstdint>

#include "model/track.h"

namespace vantorelle {

// The time an image of w × h pixels takes to travel at the track's speed,
// on the frame grid: its width for the directions across, its height for
// up and down. The speed has the same 0.01 floor as the lead-in. −1 on a
// track that is not movable or for a direction outside the four.
TimeMs TravelTime(const CTrack& track, std::int32_t imageWidth, std::int32_t imageHeight);

// Each clip of a movable title track takes its image's travel time as its
// length; the clips after it move by the change, so the gaps between clips
// stay. The source length follows the duration. A clip without a source,
// or on a track where no travel time is defined, keeps its length. A fade
// longer than the new length is dropped. Answers whether any clip changed.
bool RetimeMovableTitleClips(CTrack& track);

}  // namespace vantorelle
