// Changing how many video, alpha video, B video and audio tracks a project
// has, as the project settings ask for it.
#pragma once

#include <cstdint>

#include "model/timeline_data.h"

namespace vantorelle {

struct TrackNumbers {
  std::int32_t video = 0;
  std::int32_t alphaVideo = 0;
  std::int32_t bVideo = 0;
  std::int32_t audio = 0;
};

inline constexpr const char* kTrackNumberRefusal =
    "Can't change tracks number, because there are some clips on deleted tracks";
inline constexpr const char* kTrackNumberCaption = "Change tracks number";

// The tracks of a kind as the settings count them (by the kind bit).
std::int32_t CountTracksOfKind(const CTimelineData& timeline, TrackType kind);
// False when n tracks of the kind would delete a track that holds clips.
// Numbers below 1 change nothing and are always allowed.
bool TrackNumberAllowed(const CTimelineData& timeline, TrackType kind, std::int32_t wanted);
bool TrackNumbersAllowed(const CTimelineData& timeline, const TrackNumbers& wanted);

// Adds numbered tracks in kind order or deletes the last ones of a kind.
// A kind whose number is not allowed is left alone: a track is never
// deleted with clips on it.
// Answers whether the number of tracks changed.
bool ApplyTrackNumbers(CTimelineData& timeline, const TrackNumbers& wanted);

}  // namespace vantorelle
