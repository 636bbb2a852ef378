// The working copy of one title track's settings while the title track
// settings are open. The document's tracks change only when the records are
// applied.
#pragma once

#include <cstdint>
#include <string>

#include "model/track.h"
#include "titles/title_region.h"

namespace vantorelle {

struct TitleTrackRecord {
  TrackType type = TrackTypes::TitleSlide;
  CTrack* track = nullptr;  // the track it was made from; none for a new one
  std::string name;
  std::int32_t hasClips = 0;  // the track held clips when the settings opened
  std::int32_t direction = 0;
  std::int32_t precision = 0;
  TitleRegion region{0, 0, 80, 80};
  double maxSpeed = 1.0;
  std::int32_t trackHeight = 48;
  TimeMs fadeIn = 0.0;
  TimeMs fadeOut = 0.0;

  bool IsMovable() const { return (type & 0xFF) == TrackKind::TitleMovable; }

  // A copy of the track's settings.
  static TitleTrackRecord FromTrack(CTrack& track);
  // A record for a track still to be made: "Region %d" with the given number.
  static TitleTrackRecord New(int number);
};

// The list's "Track Info" text: the motion and size of a movable title's
// region, only the size of a slide title's.
std::string TitleTrackInfoText(const TitleTrackRecord& record);

}  // namespace vantorelle
