// Snapping of dragged edges: the times a dragged clip edge is drawn to
// (the edges of the clips that stay, the current time mark, the range and
// the named marks) and the pull they have on an edge that comes within a
// few pixels of one in the view.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "model/project_times.h"
#include "model/timeline_data.h"
#include "timeline/work_area_view.h"

namespace vantorelle {

// How close, in pixels of the current zoom, an edge must come to be drawn.
inline constexpr int kSnapReachPixels = 8;

struct SnapPull {
  TimeMs shift = 0.0;  // what the dragged edges move by to meet the point
  TimeMs point = 0.0;  // the snap point they meet
  std::size_t edge = 0;  // which of the edges asked about meets it
};

class SnapPoints {
 public:
  explicit SnapPoints(std::vector<TimeMs> points);
  // The start and end of every clip on every track except the dragged ones,
  // the current time mark, the range when there is one, and every mark.
  // Each point lies on the frame grid, so a snapped edge stays on it.
  SnapPoints(const CTimelineData& timeline, const ProjectTimes& times, const std::vector<const CFilm*>& dragged);

  // The point nearest to any of the edges, when one is within reach pixels
  // of it in the view; of equally near ones the earliest edge's wins.
  std::optional<SnapPull> Nearest(const std::vector<TimeMs>& edges, const WorkAreaView& view,
                                  int reachPixels = kSnapReachPixels) const;

  const std::vector<TimeMs>& Times() const { return points_; }  // ascending, each once

 private:
  std::vector<TimeMs> points_;
};

}  // namespace vantorelle
