#include "model/time_base.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "model/number_limits.h"
#include "model/video_format.h"

namespace vantorelle {
namespace {

VideoStandard gVideoStandard;
bool gBoardPresent = false;

// FrameDelta as a divisor: a frame is never shorter than 1 ms here.
double SafeFrameDelta() {
  const double delta = gVideoStandard.FrameDelta;
  return delta >= 1.0 ? delta : 1.0;
}

int DigitValue(char c) { return (c >= '1' && c <= '9') ? c - '0' : 0; }

}  // namespace

VideoStandard VideoStandard::FromBoard(std::int32_t width, std::int32_t height,
                                       double framesPerSecond) {
  VideoStandard standard;
  standard.FrameWidth = width;
  standard.FrameHeight = height;
  standard.FrameRate = static_cast<std::int32_t>(ClampedCast<std::int64_t>(framesPerSecond * 1000.0));
  standard.FrameDelta = 1'000'000.0 / standard.FrameRate;
  standard.StartDelay = standard.FrameDelta * 10.0;
  return standard;
}

const VideoStandard& CurrentVideoStandard() { return gVideoStandard; }
void SetVideoStandard(const VideoStandard& standard) { gVideoStandard = standard; }

bool BoardPresent() { return gBoardPresent; }
void SetBoardPresent(bool present) { gBoardPresent = present; }

std::int64_t WholeFrameDelta() {
  const std::int64_t whole = ClampedCast<std::int64_t>(gVideoStandard.FrameDelta);
  return whole >= 1 ? whole : 1;
}

namespace {

// The four SD formats snap to frames of whole milliseconds (33 ms at 29.97),
// as their projects always have. Every other format snaps to its true frame
// grid: at 60 or 23.976 frames a second whole milliseconds would drift by a
// frame every second or two.
bool SnapsToWholeMilliseconds() {
  const double delta = gVideoStandard.FrameDelta;
  return delta < 1.0 || delta == std::floor(delta) || IsClassicFormat(FormatOf(gVideoStandard));
}

// A nudge far below a millisecond, so that n frames computed in floating
// point count as n and not n − 1.
constexpr double kFrameCountNudge = 1e-7;

}  // namespace

TimeMs SnappingFrameLength() {
  return SnapsToWholeMilliseconds() ? static_cast<TimeMs>(WholeFrameDelta()) : gVideoStandard.FrameDelta;
}

TimeMs SnapToFrameFloor(TimeMs t) {
  if (!SnapsToWholeMilliseconds()) {
    const double frames = t / gVideoStandard.FrameDelta;
    return std::trunc(frames + (frames >= 0.0 ? kFrameCountNudge : -kFrameCountNudge)) * gVideoStandard.FrameDelta;
  }
  const std::int64_t frame = WholeFrameDelta();
  return static_cast<TimeMs>((ClampedCast<std::int64_t>(t) / frame) * frame);
}

TimeMs SnapToFrameNearest(TimeMs t) {
  const std::int64_t count = ClampedCast<std::int64_t>(t / SafeFrameDelta() + 0.5);
  if (!SnapsToWholeMilliseconds()) return static_cast<TimeMs>(count) * gVideoStandard.FrameDelta;
  return static_cast<TimeMs>(count * WholeFrameDelta());
}

std::string FormatTimeFull(TimeMs t) {
  if (!std::isfinite(t)) t = 0.0;
  const double hours = std::floor(t / 3'600'000.0);
  const double minutes = std::floor((t - hours * 3'600'000.0) / 60'000.0);
  const double seconds = std::floor((t - hours * 3'600'000.0 - minutes * 60'000.0) / 1000.0);
  const double millis = t - hours * 3'600'000.0 - minutes * 60'000.0 - seconds * 1000.0;
  char text[96];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld:%03lld",
                static_cast<long long>(ClampedCast<std::int64_t>(hours)),
                static_cast<long long>(ClampedCast<std::int64_t>(minutes)),
                static_cast<long long>(ClampedCast<std::int64_t>(seconds)),
                static_cast<long long>(ClampedCast<std::int64_t>(millis)));
  return text;
}

std::string FormatTimeCompact(TimeMs t) {
  const std::string full = FormatTimeFull(t);
  const std::size_t first = full.find_first_of("123456789");
  if (first == std::string::npos || first >= 8) {
    return full.size() > 5 ? full.substr(full.size() - 5) : full;
  }
  return full.substr(first);
}

std::string FormatTimeSmpte(std::string_view compact) {
  const std::size_t fieldStart = compact.size() >= 3 ? compact.size() - 3 : 0;
  int millis = 0;
  for (std::size_t i = fieldStart; i < compact.size(); ++i) {
    millis = millis * 10 + DigitValue(compact[i]);
  }
  const std::int64_t frame = ClampedCast<std::int64_t>(millis / SafeFrameDelta());
  char digits[32];
  std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(frame));
  std::string result(compact.substr(0, fieldStart));
  if (digits[1] == '\0') result += '0';
  result += digits;
  return result;
}

std::string FormatFrameCounter(TimeMs t) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld",
                static_cast<long long>(ClampedCast<std::int64_t>(t / SafeFrameDelta())));
  return text;
}

std::string FormatTimeDisplay(TimeMs t, std::int32_t mode) {
  switch (mode) {
    case 0: return FormatTimeCompact(t);
    case 1: return FormatFrameCounter(t);
    case 2: return FormatTimeSmpte(FormatTimeCompact(t));
    default: return {};
  }
}

TimeMs ParseTimeText(std::string_view text) {
  constexpr std::size_t kField = 12;
  if (text.size() > kField) text = text.substr(0, kField);
  std::string field(kField - text.size(), '0');
  field += text;
  auto pair = [&](std::size_t at) { return DigitValue(field[at]) * 10 + DigitValue(field[at + 1]); };
  const int hours = pair(0);
  const int minutes = pair(3);
  const int seconds = pair(6);
  const int millis = DigitValue(field[9]) * 100 + DigitValue(field[10]) * 10 + DigitValue(field[11]);
  return hours * 3'600'000.0 + minutes * 60'000.0 + seconds * 1000.0 + millis;
}

void ClampTimeText(std::string& text, TimeMs min, TimeMs max) {
  const TimeMs value = ParseTimeText(text);
  if (value <= min) {
    text = FormatTimeFull(min);
  } else if (value > max) {
    text = FormatTimeFull(max);
  }
}

}  // namespace vantorelle
