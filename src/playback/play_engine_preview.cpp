#include "playback/play_engine_preview.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

namespace {

constexpr TimeMs kLastFrameStart = 86'400'000.0;
constexpr TimeMs kTolerance = 0.001;

// Movies and still images alike: the board shows both on its video line.
bool IsPreviewable(const CFilm& clip) { return clip.source != nullptr; }

std::int32_t FrameAt(TimeMs sourceTime, double frameDelta) {
  return static_cast<std::int32_t>(std::floor(sourceTime / frameDelta + 1e-9));
}

// The frame time the preview shows for a mark.
TimeMs PreviewTime(TimeMs timeMark, double frameDelta) {
  return std::clamp(SnapToFrameFloor(timeMark), 0.0, kLastFrameStart - frameDelta);
}

bool CoversFrame(const CFilm& clip, TimeMs t, double frameDelta) {
  return clip.start <= t + kTolerance && clip.End() + kTolerance >= t + frameDelta;
}

// How playback decides it: the board's component of a still on a video
// track, or of a movie, tells whether its pictures have transparent parts.
bool IsTransparent(const CMovieMapItem& item) {
  if (item.stillImage) return item.stillImage->HasTransparency();
  return item.movie && item.movie->HasTransparency();
}

}  // namespace

std::optional<PreviewFrame> ChoosePreviewFrame(const std::vector<const CTrack*>& includedTracks, TimeMs timeMark) {
  const double frameDelta = CurrentVideoStandard().FrameDelta;
  const TimeMs t = PreviewTime(timeMark, frameDelta);
  const CFilm* endedBefore = nullptr;
  const CFilm* startsAfter = nullptr;
  for (const CTrack* track : includedTracks) {
    if (track->Group() != TrackGroup::Video) continue;
    for (const auto& each : track->clips) {
      const CFilm& clip = *each;
      if (!IsPreviewable(clip)) continue;
      if (CoversFrame(clip, t, frameDelta)) {
        return PreviewFrame{&clip, FrameAt(t - clip.start + clip.inPoint, frameDelta)};
      }
      if (clip.End() <= t + kTolerance && (!endedBefore || clip.start > endedBefore->start)) endedBefore = &clip;
      if (clip.start + kTolerance >= t && (!startsAfter || clip.start < startsAfter->start)) startsAfter = &clip;
    }
  }
  if (endedBefore) {
    // The frame at the out point lies past the clip; its last one is shown.
    const std::int32_t first = FrameAt(endedBefore->inPoint, frameDelta);
    return PreviewFrame{endedBefore, std::max(first, FrameAt(endedBefore->OutPoint() + kTolerance, frameDelta) - 1)};
  }
  if (startsAfter) return PreviewFrame{startsAfter, FrameAt(startsAfter->inPoint, frameDelta)};
  return std::nullopt;
}

std::optional<PreviewPictures> ChoosePreviewPictures(const std::vector<const CTrack*>& includedTracks,
                                                     TimeMs timeMark, const CMovieMap& map) {
  const std::optional<PreviewFrame> chosen = ChoosePreviewFrame(includedTracks, timeMark);
  const CMovieMapItem* item = chosen ? map.Find(chosen->clip->source->path) : nullptr;
  if (!item) return std::nullopt;
  PreviewPictures pictures{PreviewLayer{item, chosen->sourceFrame}, std::nullopt};
  const double frameDelta = CurrentVideoStandard().FrameDelta;
  const TimeMs t = PreviewTime(timeMark, frameDelta);
  if (!CoversFrame(*chosen->clip, t, frameDelta) || !IsTransparent(*item)) return pictures;
  // The topmost opaque clip under the mark on the tracks below shows under
  // it; transparent clips between them stay hidden, as in playback, which
  // lays one transparent picture at a time.
  bool below = false;
  for (const CTrack* track : includedTracks) {
    if (!below) {
      below = std::any_of(track->clips.begin(), track->clips.end(),
                          [&](const auto& clip) { return clip.get() == chosen->clip; });
      continue;
    }
    if (track->Group() != TrackGroup::Video) continue;
    for (const auto& each : track->clips) {
      const CFilm& clip = *each;
      if (!IsPreviewable(clip) || !CoversFrame(clip, t, frameDelta)) continue;
      const CMovieMapItem* under = map.Find(clip.source->path);
      if (!under || IsTransparent(*under)) continue;
      pictures.over = pictures.below;
      pictures.below = PreviewLayer{under, FrameAt(t - clip.start + clip.inPoint, frameDelta)};
      return pictures;
    }
  }
  return pictures;
}

}  // namespace vantorelle
