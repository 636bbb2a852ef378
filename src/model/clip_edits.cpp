#include "model/clip_edits.h"

#include <algorithm>
#include <unordered_map>

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

std::vector<SplitHalves> SplitClipsKeepingLinks(const std::vector<CFilm*>& clips, TimeMs t) {
  // Splitting unlinks and destroys a clip, so everything about the clips is
  // noted first, as positions in the list of distinct clips.
  std::vector<CFilm*> distinct;
  std::vector<std::size_t> positionOf;  // of each clip of the caller's list
  for (CFilm* clip : clips) {
    const auto at = std::find(distinct.begin(), distinct.end(), clip);
    positionOf.push_back(static_cast<std::size_t>(at - distinct.begin()));
    if (at == distinct.end()) distinct.push_back(clip);
  }
  struct Partner {
    CFilm* clip;
    std::size_t position;  // in distinct; distinct.size() when not there
  };
  std::vector<std::vector<Partner>> partners(distinct.size());
  for (std::size_t i = 0; i < distinct.size(); ++i) {
    for (CFilm* partner : distinct[i]->links) {
      const auto at = std::find(distinct.begin(), distinct.end(), partner);
      partners[i].push_back(Partner{partner, static_cast<std::size_t>(at - distinct.begin())});
    }
  }
  std::vector<SplitHalves> halves;
  halves.reserve(distinct.size());
  for (CFilm* clip : distinct) halves.push_back(SplitClipAt(*clip, t));

  for (std::size_t i = 0; i < distinct.size(); ++i) {
    const SplitHalves& own = halves[i];
    if (!own.first) continue;
    for (const Partner& partner : partners[i]) {
      const bool split = partner.position < halves.size() && halves[partner.position].first;
      if (split) {
        CFilm::Link(*own.first, *halves[partner.position].first);
        CFilm::Link(*own.second, *halves[partner.position].second);
      } else {
        // Left whole, so still alive.
        CFilm::Link(partner.clip->start < t ? *own.first : *own.second, *partner.clip);
      }
    }
  }
  std::vector<SplitHalves> ordered;
  ordered.reserve(clips.size());
  for (const std::size_t position : positionOf) ordered.push_back(halves[position]);
  return ordered;
}

void LinkLikeOriginals(const std::vector<const CFilm*>& originals, const std::vector<CFilm*>& copies) {
  const std::size_t count = std::min(originals.size(), copies.size());
  std::unordered_map<const CFilm*, CFilm*> copyOf;
  for (std::size_t i = 0; i < count; ++i) copyOf.emplace(originals[i], copies[i]);
  for (std::size_t i = 0; i < count; ++i) {
    for (const CFilm* partner : originals[i]->links) {
      const auto found = copyOf.find(partner);
      if (found != copyOf.end()) CFilm::Link(*copies[i], *found->second);
    }
  }
}

std::vector<std::unique_ptr<CFilm>> CopyKeepingLinks(const std::vector<const CFilm*>& clips) {
  std::vector<std::unique_ptr<CFilm>> copies;
  std::vector<CFilm*> made;
  copies.reserve(clips.size());
  for (const CFilm* clip : clips) {
    copies.push_back(clip->Copy());
    made.push_back(copies.back().get());
  }
  LinkLikeOriginals(clips, made);
  return copies;
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
