#include "titles/title_track_record.h"

#include <cstdio>

#include "titles/title_values.h"

namespace vantorelle {

TitleTrackRecord TitleTrackRecord::FromTrack(CTrack& track) {
  TitleTrackRecord record;
  record.type = track.type;
  record.track = &track;
  record.name = track.name;
  record.hasClips = track.clips.empty() ? 0 : 1;
  record.direction = track.direction;
  record.precision = track.precision;
  record.region = RegionOf(track);
  record.maxSpeed = track.maxSpeed;
  record.trackHeight = track.height;
  record.fadeIn = track.fadeIn;
  record.fadeOut = track.fadeOut;
  return record;
}

TitleTrackRecord TitleTrackRecord::New(int number) {
  TitleTrackRecord record;
  record.name = "Region " + std::to_string(number);
  return record;
}

std::string TitleTrackInfoText(const TitleTrackRecord& record) {
  char buffer[256];
  if (record.IsMovable()) {
    std::snprintf(buffer, sizeof buffer, "Move: '%s' with max speed = %5.2f, width: %d, height: %d",
                  TitleDirectionName(record.direction), record.maxSpeed, record.region.width,
                  record.region.height);
  } else {
    std::snprintf(buffer, sizeof buffer, "Width: %d, height: %d", record.region.width, record.region.height);
  }
  return buffer;
}

}  // namespace vantorelle
