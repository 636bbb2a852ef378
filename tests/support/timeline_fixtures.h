// Small builders for model tests: clips placed on tracks, and a view mapping
// of 10 ms a pixel.
#pragma once

#include <memory>

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

}  // namespace vantorelle::testing
