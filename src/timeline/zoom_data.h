// One rung of the zoom ladder: a work-area window the zoom commands step to.
#pragma once

#include "model/time_base.h"

namespace vantorelle {

struct CZoomData {
  CZoomData(TimeMs s, TimeMs e) : start(s), stop(e) {}
  TimeMs start;
  TimeMs stop;
};

}  // namespace vantorelle
