#include "timeline/snap_points.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

SnapPoints::SnapPoints(std::vector<TimeMs> points) : points_(std::move(points)) {
  std::sort(points_.begin(), points_.end());
  points_.erase(std::unique(points_.begin(), points_.end()), points_.end());
}

namespace {

std::vector<TimeMs> PointsOf(const CTimelineData& timeline, const ProjectTimes& times,
                             const std::vector<const CFilm*>& dragged) {
  std::vector<TimeMs> points;
  for (const auto& track : timeline.tracks) {
    for (const auto& clip : track->clips) {
      if (std::find(dragged.begin(), dragged.end(), clip.get()) != dragged.end()) continue;
      points.push_back(clip->start);
      points.push_back(clip->End());
    }
  }
  points.push_back(times.timeMark);
  if (times.RangePresent()) {
    points.push_back(times.rangeStart);
    points.push_back(times.rangeStop);
  }
  for (const CUMark& mark : timeline.marks) points.push_back(mark.time);
  // The time mark is off the grid while its line is dragged, a clip end
  // may be where its source ends: each point goes to its nearest frame.
  for (TimeMs& point : points) point = SnapToFrameNearest(point);
  return points;
}

}  // namespace

SnapPoints::SnapPoints(const CTimelineData& timeline, const ProjectTimes& times,
                       const std::vector<const CFilm*>& dragged)
    : SnapPoints(PointsOf(timeline, times, dragged)) {}

std::optional<SnapPull> SnapPoints::Nearest(const std::vector<TimeMs>& edges, const WorkAreaView& view,
                                            int reachPixels) const {
  // The time the reach covers at this zoom; a hair more, so an edge exactly
  // that many pixels off is not lost to rounding.
  const TimeMs reach = std::fabs(view.XToTime(reachPixels) - view.XToTime(0)) * (1.0 + 1e-9);
  std::optional<SnapPull> best;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    // Only the points on either side of the edge can be the nearest.
    const auto after = std::lower_bound(points_.begin(), points_.end(), edges[i]);
    for (auto at = after == points_.begin() ? after : after - 1; at != points_.end() && at <= after; ++at) {
      const TimeMs shift = *at - edges[i];
      if (std::fabs(shift) > reach) continue;
      if (!best || std::fabs(shift) < std::fabs(best->shift)) best = SnapPull{shift, *at, i};
    }
  }
  return best;
}

}  // namespace vantorelle
