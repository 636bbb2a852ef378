#include "export/export_span.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "playback/play_engine_list.h"

namespace vantorelle {
namespace {

std::string Ms(TimeMs value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// The last end of a clip that plays; 0 when none does.
TimeMs LastClipEnd(const CTimelineData& timeline) {
  TimeMs end = 0.0;
  for (const CTrack* track : IncludedTracks(timeline)) {
    for (const auto& clip : track->clips) end = std::max(end, clip->End());
  }
  return end;
}

}  // namespace

ExportSpanChoice ChooseExportSpan(const CTimelineData& timeline, const ProjectTimes& times, ExportSpanRule rule,
                                  const std::optional<std::pair<double, double>>& given, double frameDelta) {
  const TimeMs lastEnd = LastClipEnd(timeline);
  ExportSpan span;
  std::string what;
  if (given) {
    const TimeMs size = std::max(times.projectSize, lastEnd);
    span = {std::min(given->first, size), std::min(given->second, size)};
    what = "the range " + Ms(given->first) + ":" + Ms(given->second);
    if (given->second > size) what += " (cut at the project's size, " + Ms(size) + " ms)";
  } else if (rule == ExportSpanRule::TimeMark) {
    if (lastEnd <= 0.0) return {std::nullopt, "nothing to export: no clip plays", false};
    // The frame that holds the mark, on the play's grid.
    const TimeMs from = std::floor(times.timeMark / frameDelta + 1e-6) * frameDelta;
    return {ExportSpan{from, from + frameDelta}, {}, false};
  } else if (rule == ExportSpanRule::Range || (rule == ExportSpanRule::Automatic && times.RangePresent())) {
    if (!times.RangePresent()) return {std::nullopt, "no range is set in the project; set one or export the whole project", false};
    span = {times.rangeStart, times.rangeStop};
    what = "the project's range " + Ms(times.rangeStart) + ":" + Ms(times.rangeStop);
  } else if (rule == ExportSpanRule::WorkArea) {
    if (lastEnd <= 0.0) return {std::nullopt, "nothing to export: no clip plays", false};
    span = {std::max(0.0, timeline.workArea.start), timeline.workArea.stop};
    what = "the work area " + Ms(span.from) + ":" + Ms(span.to);
  } else {
    if (lastEnd <= 0.0) return {std::nullopt, "nothing to export: no clip plays", false};
    span = {0.0, lastEnd};
    what = "the project (0:" + Ms(lastEnd) + ")";
  }
  if (span.to - span.from < frameDelta) {
    return {std::nullopt, what + " is shorter than one frame (" + Ms(frameDelta) + " ms); nothing exported",
            given.has_value()};
  }
  return {span, {}, false};
}

std::vector<const CSrc*> OfflineSourcesInSpan(const CTimelineData& timeline, const ExportSpan& span) {
  std::vector<const CSrc*> found;
  for (const CTrack* track : IncludedTracks(timeline)) {
    for (const auto& clip : track->clips) {
      const CSrc* source = clip->source;
      if (!source || !source->offline || !(clip->start < span.to && clip->End() > span.from)) continue;
      if (std::find(found.begin(), found.end(), source) == found.end()) found.push_back(source);
    }
  }
  return found;
}

}  // namespace vantorelle
