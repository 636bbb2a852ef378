#include "model/work_area_showing.h"

#include <algorithm>

namespace vantorelle {

WorkArea WorkAreaShowing(const WorkArea& area, TimeMs time, TimeMs projectSize) {
  if (time >= area.start && time <= area.stop) return area;
  const TimeMs width = std::min(area.Width(), std::max(projectSize, 0.0));
  if (!(width > 0.0)) return area;
  WorkArea moved{std::max(time - width / 4.0, 0.0), 0.0};
  moved.stop = moved.start + width;
  if (moved.stop > projectSize) moved = WorkArea{projectSize - width, projectSize};
  return moved;
}

}  // namespace vantorelle
