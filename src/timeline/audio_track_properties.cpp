#include "timeline/audio_track_properties.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

namespace {

int ClampPercent(double percent) {
  if (!std::isfinite(percent)) return AudioTrackProperties::kHighestPercent;
  return static_cast<int>(std::clamp(std::trunc(percent), static_cast<double>(AudioTrackProperties::kLowestPercent),
                                     static_cast<double>(AudioTrackProperties::kHighestPercent)));
}

}  // namespace

AudioTrackProperties::AudioTrackProperties(const CTrack& track)
    : fadeIn(track.fadeIn), fadeOut(track.fadeOut), levelPercent(ClampPercent(track.volume * 100.0)) {}

void AudioTrackProperties::Apply(CVantorelleDoc& doc, CTrack& track) const {
  track.fadeIn = SnapToFrameFloor(fadeIn);
  track.fadeOut = SnapToFrameFloor(fadeOut);
  track.volume = ClampPercent(levelPercent) * 0.01;
  doc.SetModified(true);
}

}  // namespace vantorelle
