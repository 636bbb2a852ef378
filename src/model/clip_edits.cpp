#include "model/clip_edits.h"

namespace vantorelle {

SplitHalves SplitClipAt(CFilm& clip, TimeMs t) {
  CTrack* track = clip.track;
  if (!track || track->Kind() == TrackKind::TitleMovable) return {};
  if (!(clip.start < t && t < clip.End())) return {};
  const int index = track->IndexOf(clip);
  if (index < 0) return {};

  auto first = clip.Copy();
  auto second = clip.Copy();
  first->selection = second->selection = 0;
  const TimeMs d = t - clip.start;
  first->duration = d;
  second->start = clip.start + d;
  second->duration = clip.duration - d;
  if (clip.flags & SourceFlags::MovieFile) {
    second->inPoint = clip.inPoint + d;
  } else {
    // A still image or title has no stretch of a source: each half is whole.
    first->sourceLength = first->duration;
    second->sourceLength = second->duration;
  }
  first->LimitFades();
  second->LimitFades();
  // Two clips now use the source where one did.
  if (clip.source) clip.source->usageCount += 1;

  clip.Unlink();
  std::unique_ptr<CFilm> replaced = track->Remove(clip);
  SplitHalves halves{first.get(), second.get()};
  first->track = second->track = track;
  track->clips.insert(track->clips.begin() + index, std::move(first));
  track->clips.insert(track->clips.begin() + index + 1, std::move(second));
  return halves;
}

TimeMs RepeatClip(const CFilm& clip, int count, TimeMs pause, TimeMs projectSize) {
  if (!clip.track || count < 1) return projectSize;
  const TimeMs end = clip.End();
  for (int k = 0; k < count; ++k) {
    auto copy = clip.Copy();
    copy->start = end + (k + 1) * pause + k * clip.duration;
    if (clip.source) clip.source->usageCount += 1;
    clip.track->InsertInOrder(std::move(copy));
  }
  const TimeMs last = end + count * (pause + clip.duration);
  return last > projectSize ? last : projectSize;
}

}  // namespace vantorelle
