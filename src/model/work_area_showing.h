// Moving the work area so that it shows a time.
#pragma once

#include "model/work_area.h"

namespace vantorelle {

// The work area moved, its width kept, so that it shows the time: unchanged
// when it shows it already; otherwise the time sits a quarter into it (at 0
// when the time is nearer the start than that), stopping at the project's
// end.
WorkArea WorkAreaShowing(const WorkArea& area, TimeMs time, TimeMs projectSize);

}  // namespace vantorelle
