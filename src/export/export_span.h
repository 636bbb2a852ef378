// What an export covers, and the sources it cannot read.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/project_times.h"
#include "model/src.h"
#include "model/time_base.h"
#include "model/timeline_data.h"

namespace vantorelle {

struct ExportSpan {
  TimeMs from = 0.0;
  TimeMs to = 0.0;
};

struct ExportSpanChoice {
  std::optional<ExportSpan> span;
  std::string refusal;  // why there is none
  bool givenRangeRefused = false;  // the refusal is of a range the caller gave
};

// How the span is chosen.
enum class ExportSpanRule {
  Automatic,     // the project's range when it has one, else the whole project
  WholeProject,  // 0 to the last end of a clip that plays
  Range,         // the project's range; refused when none is set
  WorkArea,      // the time line's work area
  TimeMark,      // the one frame under the time mark
};

// The range given (cut at the project's size, which never counts as less
// than the last clip's end) when there is one, else the span the rule picks.
// None when that leaves less than a frame or nothing plays.
ExportSpanChoice ChooseExportSpan(const CTimelineData& timeline, const ProjectTimes& times, ExportSpanRule rule,
                                  const std::optional<std::pair<double, double>>& given, double frameDelta);

// The sources of clips that play within the span and are offline, each once,
// in the order the tracks and clips come.
std::vector<const CSrc*> OfflineSourcesInSpan(const CTimelineData& timeline, const ExportSpan& span);

}  // namespace vantorelle
