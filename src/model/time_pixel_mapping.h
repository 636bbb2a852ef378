// How a view maps project time to pixel columns and back; the model asks it
// when a length must be measured in pixels (fades fitted to 3 pixels).
#pragma once

#include <cmath>

#include "model/time_base.h"

namespace vantorelle {

class TimePixelMapping {
 public:
  virtual ~TimePixelMapping() = default;
  virtual double TimeToX(TimeMs time) const = 0;
  virtual TimeMs XToTime(double x) const = 0;

  // The time that a few pixels cover at time a, measured from a's column.
  // A time that has no true column (held far off screen) gets the length
  // the pixels cover anywhere, never a negative or distant one.
  TimeMs PixelsToTime(TimeMs a, double pixels) const {
    const TimeMs fromColumn = XToTime(TimeToX(a) + pixels) - a;
    const TimeMs anywhere = XToTime(pixels) - XToTime(0.0);
    const TimeMs onePixel = std::fabs(XToTime(1.0) - XToTime(0.0));
    return std::fabs(fromColumn - anywhere) <= onePixel ? fromColumn : anywhere;
  }
};

}  // namespace vantorelle
