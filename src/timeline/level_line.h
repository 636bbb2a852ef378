// The level line of an audio clip as the track area draws it: at the clip's
// level between its fades (the volume line height above the row's bottom
// minus 2), and bending down to that zero line over the fades: from the
// clip's start it rises to the level where the fade in ends, and from where
// the fade out begins it falls to zero at the clip's end. The fade handles
// sit on its two upper corners.
#pragma once

#include <array>

#include "model/film.h"
#include "timeline/work_area_view.h"

namespace vantorelle {

struct LinePoint {
  int x = 0;
  int y = 0;
  bool operator==(const LinePoint&) const = default;
};

struct LevelLine {
  std::array<LinePoint, 4> points{};
  int count = 0;  // 0: no line

  // The line's y at column x, straight between its points; the first or last
  // point's y beyond its ends.
  int YAt(int x) const;
};

// The zero line of a row: the level line of a clip at level 0.
inline int ZeroLevelY(int rowBottom) { return rowBottom - 2; }

// From the column of the clip's start to the last column before its end; a
// fade of 0 leaves its end of the line flat.
LevelLine LevelLineOf(const CFilm& clip, const WorkAreaView& view, int rowBottom, int rowHeight);

}  // namespace vantorelle
