#include "document/project_value_limits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "model/number_limits.h"
#include "model/time_base.h"
#include "model/time_edit.h"
#include "titles/title_speed.h"

namespace vantorelle {

namespace {

// What a new project starts with, for values that are no numbers at all.
constexpr double kDefaultProjectSize = 20000.0;
constexpr double kDefaultSlideShowDuration = 10000.0;
constexpr double kDefaultStillImageDuration = 5000.0;
constexpr double kDefaultLiveDuration = 15000.0;
constexpr double kDefaultMaxSpeed = 1.0;

// The editor's levels stay within 0 … 100 %; an import may raise a little
// above. A hundredfold gain is far beyond both and keeps every product finite.
constexpr double kLoudestLevel = 100.0;
// Track heights are 24, 48 or 96 pixels; far larger ones would overflow the
// sums of the track layout.
constexpr std::int32_t kTallestTrack = 1024;

double Time(double value, double fallback) { return ClampedValue(value, 0.0, kLongestProjectTime, fallback); }

// A corner within 0 … limit and an extent that ends inside the frame, with
// the sum done in 64 bits so that values near the integer limit cannot wrap.
void HoldInside(std::int32_t& corner, std::int32_t& extent, std::int32_t limit) {
  corner = std::clamp(corner, 0, std::max(limit, 0));
  extent = static_cast<std::int32_t>(std::clamp<std::int64_t>(extent, 0, std::int64_t{limit} - corner));
}

}  // namespace

ProjectSettingsBlock LimitedSettings(ProjectSettingsBlock s) {
  s.slideShowDuration = Time(s.slideShowDuration, kDefaultSlideShowDuration);
  s.stillImageDuration = Time(s.stillImageDuration, kDefaultStillImageDuration);
  s.liveDuration = Time(s.liveDuration, kDefaultLiveDuration);
  // A length below nothing means as little as one that is no number.
  s.projectSize = s.projectSize < 0.0 ? kDefaultProjectSize : Time(s.projectSize, kDefaultProjectSize);
  s.workAreaStart = Time(s.workAreaStart, 0.0);
  s.workAreaStop = Time(s.workAreaStop, s.projectSize);
  // A work area of no width (or turned round) cannot be mapped onto pixels:
  // the whole project is shown instead.
  if (!(s.workAreaStop > s.workAreaStart)) {
    s.workAreaStart = 0.0;
    s.workAreaStop = s.projectSize;
  }
  s.timeMark = Time(s.timeMark, 0.0);
  s.rangeStart = Time(s.rangeStart, 0.0);
  s.rangeStop = Time(s.rangeStop, 0.0);
  return s;
}

ProjectTrackRecord LimitedTrack(ProjectTrackRecord t) {
  t.height = std::clamp(t.height, 0, kTallestTrack);
  const VideoStandard& frame = CurrentVideoStandard();
  HoldInside(t.regionLeft, t.regionWidth, frame.FrameWidth);
  HoldInside(t.regionTop, t.regionHeight, frame.FrameHeight);
  t.maxSpeed = ClampedValue(t.maxSpeed, 0.0, kMaxTitleSpeed, kDefaultMaxSpeed);
  t.fadeIn = Time(t.fadeIn, 0.0);
  t.fadeOut = Time(t.fadeOut, 0.0);
  t.volume = ClampedValue(t.volume, 0.0, kLoudestLevel, 1.0);
  return t;
}

ProjectSourceRecord LimitedSource(ProjectSourceRecord s) {
  s.duration = Time(s.duration, 0.0);
  return s;
}

bool ClipTimesUsable(const ProjectClipRecord& c) {
  // Drops at the end of a project may grow it past a day, so clips are held
  // only to what the time fields can show; that still keeps frame counts and
  // pixels far from the integer limits.
  const auto usable = [](double time) { return std::fabs(time) <= TimeEdit::kLargestShownValue; };  // false for NaN
  const std::initializer_list<double> times{c.sourceLength, c.start, c.duration, c.inPoint, c.fadeIn, c.fadeOut};
  return std::all_of(times.begin(), times.end(), usable) && std::isfinite(c.volume);
}

ProjectClipRecord LimitedClip(ProjectClipRecord c) {
  c.volume = ClampedValue(c.volume, 0.0, kLoudestLevel, 1.0);
  return c;
}

}  // namespace vantorelle
