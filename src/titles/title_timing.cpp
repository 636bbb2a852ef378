#include "titles/title_timing.h"

#include <algorithm>

#include "titles/title_speed.h"
#include "titles/title_values.h"

namespace vantorelle {

TimeMs TravelTime(const CTrack& track, std::int32_t imageWidth, std::int32_t imageHeight) {
  if (track.Kind() != TrackKind::TitleMovable) return -1.0;
  double extent = 0.0;
  if (TravelsHorizontally(track.direction)) {
    extent = imageWidth;
  } else if (TravelsVertically(track.direction)) {
    extent = imageHeight;
  } else {
    return -1.0;
  }
  const double speed = std::max(track.maxSpeed, kMinTitleSpeed);
  return SnapToFrameFloor(extent * CurrentVideoStandard().FrameDelta / (2.0 * speed));
}

bool RetimeMovableTitleClips(CTrack& track) {
  if (track.Kind() != TrackKind::TitleMovable) return false;
  bool changed = false;
  TimeMs shift = 0.0;
  for (const auto& clip : track.clips) {
    if (shift != 0.0) {
      clip->start += shift;
      changed = true;
    }
    if (!clip->source) continue;
    const TimeMs travel = TravelTime(track, clip->source->frameWidth, clip->source->frameHeight);
    if (travel < 0.0) continue;
    const TimeMs delta = travel - clip->duration;
    if (delta == 0.0) continue;
    shift += delta;
    clip->duration += delta;
    clip->sourceLength += delta;
    clip->LimitFades();
    changed = true;
  }
  return changed;
}

}  // namespace vantorelle
