#include "timeline/level_line.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

int LevelLine::YAt(int x) const {
  if (count == 0) return 0;
  if (x <= points[0].x) return points[0].y;
  for (int i = 1; i < count; ++i) {
    const LinePoint& a = points[static_cast<std::size_t>(i - 1)];
    const LinePoint& b = points[static_cast<std::size_t>(i)];
    if (x > b.x) continue;
    if (b.x == a.x) return b.y;
    const double along = (static_cast<double>(x) - a.x) / (static_cast<double>(b.x) - a.x);
    return static_cast<int>(std::lround(a.y + along * (b.y - a.y)));
  }
  return points[static_cast<std::size_t>(count - 1)].y;
}

LevelLine LevelLineOf(const CFilm& clip, const WorkAreaView& view, int rowBottom, int rowHeight) {
  const int left = view.TimeToPixel(clip.start);
  const int right = std::max(left, view.TimeToPixel(clip.End()) - 1);
  const int zero = ZeroLevelY(rowBottom);
  const int level = clip.VolumeLineY(rowBottom, rowHeight);
  const TimeMs fadeIn = clip.EffectiveFadeIn();
  const TimeMs fadeOut = clip.EffectiveFadeOut();
  const int fadeInEnd = std::clamp(view.TimeToPixel(clip.start + fadeIn), left, right);
  const int fadeOutStart = std::clamp(view.TimeToPixel(clip.End() - fadeOut), left, right);
  LevelLine line;
  const auto add = [&](int x, int y) { line.points[static_cast<std::size_t>(line.count++)] = LinePoint{x, y}; };
  if (fadeIn > 0.0) add(left, zero);
  if (fadeIn > 0.0 && fadeOut > 0.0 && fadeIn + fadeOut > clip.duration) {
    // Fades that overlap (borrowed from the track) meet below the level,
    // where the rising one crosses the falling one.
    const double reached = clip.duration / (fadeIn + fadeOut);
    const int meet = std::clamp(view.TimeToPixel(clip.start + clip.duration * fadeIn / (fadeIn + fadeOut)), left, right);
    add(meet, static_cast<int>(std::lround(zero - reached * (zero - level))));
  } else {
    add(fadeIn > 0.0 ? fadeInEnd : left, level);
    add(fadeOut > 0.0 ? fadeOutStart : right, level);
  }
  if (fadeOut > 0.0) add(right, zero);
  return line;
}

}  // namespace vantorelle
