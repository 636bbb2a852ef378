// What a render covers, and the sources it cannot read.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/src.h"
#include "model/time_base.h"
#include "model/timeline_data.h"
#include "model/project_times.h"

namespace vantorelle::cli {

struct RenderSpan {
  TimeMs from = 0.0;
  TimeMs to = 0.0;
};

struct RenderSpanChoice {
  std::optional<RenderSpan> span;
  std::string refusal;  // why there is none
};

// The range given (cut at the project's size, which never counts as less
// than the last clip's end), else the project's range, else 0 to the last
// end of a clip that plays. None when that leaves less than a frame.
RenderSpanChoice ChooseRenderSpan(const CTimelineData& timeline, const ProjectTimes& times,
                                  const std::optional<std::pair<double, double>>& given, double frameDelta);

// The sources of clips that play within the span and are offline, each once,
// in the order the tracks and clips come.
std::vector<const CSrc*> OfflineSourcesInSpan(const CTimelineData& timeline, const RenderSpan& span);

}  // namespace vantorelle::cli
