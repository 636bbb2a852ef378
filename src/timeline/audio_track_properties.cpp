#include "timeline/audio_track_properties.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

namespace {

// Truncated, but a level stored as 0.29 (28.999… percent) is still 29.
int ClampPercent(double percent) {
  if (!std::isfinite(percent)) return AudioTrackProperties::kHighestPercent;
  return static_cast<int>(std::clamp(std::trunc(percent + 1e-9), static_cast<double>(AudioTrackProperties::kLowestPercent),
                                     static_cast<double>(AudioTrackProperties::kHighestPercent)));
}

}  // namespace

AudioTrackProperties::AudioTrackProperties(const CTrack& track)
    : fadeIn(track.fadeIn), fadeOut(track.fadeOut), levelPercent(ClampPercent(track.volume * 100.0)) {}

// An OK that changes nothing leaves the stored values bit for bit and the
// project unmodified; a level is rewritten only when its percent changed.
void AudioTrackProperties::Apply(CVantorelleDoc& doc, CTrack& track) const {
  bool changed = false;
  const auto set = [&changed](double& field, double value) {
    if (field == value) return;
    field = value;
    changed = true;
  };
  set(track.fadeIn, SnapToFrameFloor(fadeIn));
  set(track.fadeOut, SnapToFrameFloor(fadeOut));
  const int percent = ClampPercent(levelPercent);
  if (percent != ClampPercent(track.volume * 100.0)) set(track.volume, percent * 0.01);
  if (changed) doc.SetModified(true);
}

}  // namespace vantorelle
