#include "document/track_numbers.h"

#include <string>

namespace vantorelle {

namespace {

struct KindPlan {
  TrackType kind;
  TrackType group;
  const char* stem;
  std::int32_t TrackNumbers::*wanted;
};

constexpr KindPlan kPlans[] = {
    {TrackKind::Video, TrackGroup::Video, "Video track number", &TrackNumbers::video},
    {TrackKind::VideoAlfa, TrackGroup::Video, "Video track(Alfa) number", &TrackNumbers::alphaVideo},
    {TrackKind::VideoB, TrackGroup::Video, "Video track(B) number", &TrackNumbers::bVideo},
    {TrackKind::Audio, TrackGroup::Audio, "Audio track number", &TrackNumbers::audio},
};

bool GroupHasShownTrack(const CTimelineData& timeline, TrackType group) {
  for (const auto& track : timeline.tracks) {
    if (track->Group() == group && track->shown) return true;
  }
  return false;
}

}  // namespace

std::int32_t CountTracksOfKind(const CTimelineData& timeline, TrackType kind) {
  std::int32_t count = 0;
  for (const auto& track : timeline.tracks) {
    if (track->type & kind) ++count;
  }
  return count;
}

bool TrackNumberAllowed(const CTimelineData& timeline, TrackType kind, std::int32_t wanted) {
  if (wanted < 1) return true;
  std::int32_t position = 0;
  for (const auto& track : timeline.tracks) {
    if (!(track->type & kind)) continue;
    if (position >= wanted && !track->clips.empty()) return false;
    ++position;
  }
  return true;
}

bool TrackNumbersAllowed(const CTimelineData& timeline, const TrackNumbers& wanted) {
  for (const auto& plan : kPlans) {
    if (!TrackNumberAllowed(timeline, plan.kind, wanted.*plan.wanted)) return false;
  }
  return true;
}

bool ApplyTrackNumbers(CTimelineData& timeline, const TrackNumbers& wanted) {
  bool changed = false;
  for (const auto& plan : kPlans) {
    const std::int32_t want = wanted.*plan.wanted;
    const std::int32_t current = CountTracksOfKind(timeline, plan.kind);
    // A kind whose removed tracks hold clips is left as it is: clips are
    // never deleted behind the user's back.
    if (want < 1 || want == current || !TrackNumberAllowed(timeline, plan.kind, want)) continue;
    if (current < want) {
      for (std::int32_t number = current + 1; number <= want; ++number) {
        auto track = std::make_unique<CTrack>(plan.kind | plan.group, 48);
        track->name = std::string(plan.stem) + " " + std::to_string(number);
        track->shown = GroupHasShownTrack(timeline, plan.group) ? 1 : 0;
        timeline.AddTrackInKindOrder(std::move(track));
      }
    } else {
      std::int32_t surplus = current - want;
      for (auto it = timeline.tracks.end(); surplus > 0 && it != timeline.tracks.begin();) {
        --it;
        if (!((*it)->type & plan.kind)) continue;
        it = timeline.tracks.erase(it);
        --surplus;
      }
    }
    changed = true;
  }
  return changed;
}

}  // namespace vantorelle
