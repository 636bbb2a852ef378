// How a view maps project time to pixel columns and back; the model asks it
// when a length must be measured in pixels (fades fitted to 3 pixels).
#pragma once

#include "model/time_base.h"

namespace vantorelle {

class TimePixelMapping {
 public:
  virtual ~TimePixelMapping() = default;
  virtual double TimeToX(TimeMs time) const = 0;
  virtual TimeMs XToTime(double x) const = 0;

  // The time that a few pixels cover at time a.
  TimeMs PixelsToTime(TimeMs a, double pixels) const { return XToTime(TimeToX(a) + pixels) - a; }
};

}  // namespace vantorelle
