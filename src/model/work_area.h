// The window of the project's time axis that every time-line view shows.
#pragma once

#include "model/time_base.h"

namespace vantorelle {

struct WorkArea {
  TimeMs start = 11000.0;
  TimeMs stop = 14000.0;

  TimeMs Width() const { return stop - start; }
  bool operator==(const WorkArea&) const = default;
};

}  // namespace vantorelle
