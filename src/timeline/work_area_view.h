// The time/pixel mapping of a time-line view: the work area spread over the
// view's client width.
#pragma once

#include "model/time_pixel_mapping.h"
#include "model/work_area.h"

namespace vantorelle {

class WorkAreaView : public TimePixelMapping {
 public:
  WorkAreaView(const WorkArea& area, int clientWidth) : area_(area), clientWidth_(clientWidth) {}

  // x = trunc((t − start) × (w − 1) / W + 0.499), with W at least 0.001.
  int TimeToPixel(TimeMs t) const;
  // t = W × x / (w − 1) + start, unrounded.
  TimeMs PixelToTime(int x) const { return XToTime(x); }

  double TimeToX(TimeMs t) const override { return TimeToPixel(t); }
  TimeMs XToTime(double x) const override;

  int ClientWidth() const { return clientWidth_; }
  const WorkArea& Area() const { return area_; }

 private:
  WorkArea area_;
  int clientWidth_;
};

}  // namespace vantorelle
