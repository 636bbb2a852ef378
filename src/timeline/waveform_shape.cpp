#include "timeline/waveform_shape.h"

#include <algorithm>
#include <cmath>

#include "model/track.h"

namespace vantorelle {
namespace {

constexpr double kFramesPerMs = kPeakSampleRate / 1000.0;
constexpr double kFullScale = 32768.0;

}  // namespace

bool ShowsWaveform(const CFilm& clip) {
  return clip.source && !clip.source->offline && clip.track && clip.track->Kind() == TrackKind::Audio &&
         (clip.flags & SourceFlags::AudioStream) && !(clip.flags & SourceFlags::LiveSource);
}

std::vector<WaveformColumn> ShapeWaveform(const WaveformPeaks& peaks, const CFilm& clip, const WorkAreaView& view,
                                          const LevelLine& levelLine, int zeroY, const PixelRect& box) {
  std::vector<WaveformColumn> columns;
  const int first = std::max(box.left, 0);
  const int end = std::min(box.right, view.ClientWidth());
  if (end <= first || box.Empty()) return columns;
  columns.reserve(static_cast<std::size_t>(end - first));
  // Source frames played at a time of the time line, within the clip's stretch.
  const TimeMs playedFrom = clip.inPoint;
  const TimeMs playedTo = clip.inPoint + clip.duration;
  const auto frameAt = [&](TimeMs t) {
    const TimeMs source = std::clamp(t - clip.start + clip.inPoint, playedFrom, playedTo);
    return static_cast<std::int64_t>(std::floor(source * kFramesPerMs));
  };
  std::int64_t from = frameAt(view.PixelToTime(first));
  for (int x = first; x < end; ++x) {
    const std::int64_t to = frameAt(view.PixelToTime(x + 1));
    const std::optional<PeakPair> peak = peaks.Over(from, to);
    if (!peak) break;
    from = to;
    const double half = (zeroY - levelLine.YAt(x)) / 2.0;
    const double middle = zeroY - half;
    int top = static_cast<int>(std::lround(middle - peak->high / kFullScale * half));
    int bottom = static_cast<int>(std::lround(middle - peak->low / kFullScale * half));
    top = std::clamp(top, box.top, box.bottom - 1);
    bottom = std::clamp(bottom, top, box.bottom - 1);
    columns.push_back(WaveformColumn{x, top, bottom});
  }
  return columns;
}

}  // namespace vantorelle
