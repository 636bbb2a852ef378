#include "timeline/work_area_view.h"

#include <algorithm>
#include <cmath>

#include "model/number_limits.h"

namespace vantorelle {

namespace {

// One pixel less than the client width spans the work area; a view of one
// pixel or none still maps without dividing by zero.
double Span(int clientWidth) { return clientWidth > 1 ? clientWidth - 1 : 1; }

}  // namespace

int WorkAreaView::TimeToPixel(TimeMs t) const {
  double width = area_.Width();
  if (std::fabs(width) < 0.001) width = 0.001;
  // Times far outside a narrow work area lie billions of pixels away; they
  // are held a long way off screen, where sums of a few such columns still fit.
  constexpr double kFarOff = 1 << 29;
  const double x = std::trunc((t - area_.start) * Span(clientWidth_) / width + 0.499);
  return ClampedCast<int>(std::clamp(x, -kFarOff, kFarOff));
}

TimeMs WorkAreaView::XToTime(double x) const { return area_.Width() * x / Span(clientWidth_) + area_.start; }

}  // namespace vantorelle
