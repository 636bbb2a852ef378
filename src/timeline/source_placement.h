// Placing a new source on the tracks: from a drop out of the Clip
// Collection, or the pending placement after "Add source file...". One
// candidate clip per media kind of the source; the track under the mouse
// takes the first it accepts, the others the first track with room.
#pragma once

#include <optional>
#include <vector>

#include "document/vantorelle_doc.h"
#include "timeline/snap_points.h"
#include "timeline/work_area_view.h"

namespace vantorelle {

struct PlacementTarget {
  SourceFlagBits clipFlags = 0;
  CTrack* track = nullptr;
  TimeMs start = 0.0;
  TimeMs duration = 0.0;
};

// A placement's start drawn to a snap point.
struct SnappedStart {
  TimeMs start = 0.0;
  TimeMs point = 0.0;
};

class SourcePlacement {
 public:
  // Candidates no shown track accepts are dropped at once.
  SourcePlacement(const CVantorelleDoc& doc, CSrc& source);

  bool HasCandidates() const { return !candidates_.empty(); }
  CSrc& Source() const { return source_; }
  // The targets for the mouse over a track at a time; empty when the drop
  // is not allowed there (a candidate finds no track with room).
  std::vector<PlacementTarget> TargetsAt(const CVantorelleDoc& doc, CTrack* trackUnderMouse, TimeMs start) const;
  // Records the undo kind, deselects all, places the linked, selected new
  // clips and grows the project. False when the drop is not allowed.
  bool Place(CVantorelleDoc& doc, CTrack* trackUnderMouse, TimeMs start, std::int32_t undoKind) const;

  // The start a placement takes for the mouse at time t: on the frame grid
  // inside the work area.
  static TimeMs StartFor(TimeMs t, const WorkArea& area);
  // The start (from StartFor) moved so that the start or the end of the clip
  // the track under the mouse takes meets the nearest snap point within
  // reach; none when no point is near, or when the clips would leave the
  // work area or find no room there.
  std::optional<SnappedStart> SnapStart(const CVantorelleDoc& doc, CTrack* trackUnderMouse, TimeMs start,
                                        const SnapPoints& points, const WorkAreaView& view) const;

 private:
  CSrc& source_;
  std::vector<SourceFlagBits> candidates_;
};

}  // namespace vantorelle
