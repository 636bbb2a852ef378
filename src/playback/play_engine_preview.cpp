#include "playback/play_engine_preview.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

namespace {

constexpr TimeMs kLastFrameStart = 86'400'000.0;
constexpr TimeMs kTolerance = 0.001;

// Movies and still images alike: the board shows both on its video line.
bool IsPreviewable(const CFilm& clip) { return clip.source != nullptr; }

}  // namespace

std::optional<PreviewFrame> ChoosePreviewFrame(const std::vector<const CTrack*>& includedTracks, TimeMs timeMark) {
  const double frameDelta = CurrentVideoStandard().FrameDelta;
  const auto frameAt = [frameDelta](TimeMs sourceTime) {
    return static_cast<std::int32_t>(std::floor(sourceTime / frameDelta + 1e-9));
  };
  const TimeMs t = std::clamp(SnapToFrameFloor(timeMark), 0.0, kLastFrameStart - frameDelta);
  const CFilm* endedBefore = nullptr;
  const CFilm* startsAfter = nullptr;
  for (const CTrack* track : includedTracks) {
    if (track->Group() != TrackGroup::Video) continue;
    for (const auto& each : track->clips) {
      const CFilm& clip = *each;
      if (!IsPreviewable(clip)) continue;
      if (clip.start <= t + kTolerance && clip.End() + kTolerance >= t + frameDelta) {
        return PreviewFrame{&clip, frameAt(t - clip.start + clip.inPoint)};
      }
      if (clip.End() <= t + kTolerance && (!endedBefore || clip.start > endedBefore->start)) endedBefore = &clip;
      if (clip.start + kTolerance >= t && (!startsAfter || clip.start < startsAfter->start)) startsAfter = &clip;
    }
  }
  if (endedBefore) {
    // The frame at the out point lies past the clip; its last one is shown.
    const std::int32_t first = frameAt(endedBefore->inPoint);
    return PreviewFrame{endedBefore, std::max(first, frameAt(endedBefore->OutPoint() + kTolerance) - 1)};
  }
  if (startsAfter) return PreviewFrame{startsAfter, frameAt(startsAfter->inPoint)};
  return std::nullopt;
}

}  // namespace vantorelle
