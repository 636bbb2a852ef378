// Small builders for model tests: clips placed on tracks, and a view mapping
// of 10 ms a pixel.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/time_pixel_mapping.h"
#include "model/track.h"

namespace vantorelle::testing {

class TenMsPerPixel : public TimePixelMapping {
 public:
  double TimeToX(TimeMs time) const override { return time / 10.0; }
  TimeMs XToTime(double x) const override { return x * 10.0; }
};

inline CFilm& PlaceClip(CTrack& track, TimeMs start, TimeMs duration,
                        SourceFlagBits flags = SourceFlags::VideoStream, CSrc* source = nullptr) {
  auto clip = std::make_unique<CFilm>(source);
  clip->start = start;
  clip->duration = duration;
  clip->flags = flags;
  return track.InsertInOrder(std::move(clip));
}

// Each pair of clips of the track that share some time, as
// "start–end over start–end". Editing keeps video and audio tracks free of
// them, though the consistency check cannot ask for that: Repeat and
// imported projects may overlap clips on purpose.
inline std::vector<std::string> OverlappingClips(const CTrack& track) {
  std::vector<std::string> overlaps;
  auto span = [](const CFilm& clip) { return std::to_string(clip.start) + "-" + std::to_string(clip.End()); };
  for (std::size_t i = 0; i < track.clips.size(); ++i) {
    for (std::size_t j = i + 1; j < track.clips.size(); ++j) {
      const CFilm& a = *track.clips[i];
      const CFilm& b = *track.clips[j];
      if (a.start < b.End() && b.start < a.End()) overlaps.push_back(span(a) + " over " + span(b));
    }
  }
  return overlaps;
}

}  // namespace vantorelle::testing
