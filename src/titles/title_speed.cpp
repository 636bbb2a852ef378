#include "titles/title_speed.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/time_base.h"
#include "titles/title_values.h"

namespace vantorelle {

namespace {

std::string Printed(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::string FormatTitleSpeed(double speed) { return Printed("%5.2f", speed); }

double ParseTitleSpeed(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(value)) return 0.0;
  return value;
}

NormalisedSpeed NormaliseTitleSpeed(double typed) {
  if (!std::isfinite(typed)) return SpeedOfSteps(typed > 0.0 ? kMaxSpeedSteps : kMinSpeedSteps);
  // Hundredths are truncated, but a value typed with two decimals must keep
  // them: 2.3 × 100 is 229.999... in binary, which plain truncation would
  // turn into 2.29. The nudge is far below a thousandth, so 2.999 still
  // gives 2.99.
  const double hundredths = std::trunc(typed * 100.0 + 1e-6);
  const double limited = std::clamp(hundredths, static_cast<double>(kMinSpeedSteps),
                                    static_cast<double>(kMaxSpeedSteps));
  return SpeedOfSteps(static_cast<std::int32_t>(limited));
}

NormalisedSpeed SpeedOfSteps(std::int32_t steps) {
  NormalisedSpeed result;
  result.steps = std::clamp(steps, kMinSpeedSteps, kMaxSpeedSteps);
  result.speed = result.steps * 0.01;
  result.text = FormatTitleSpeed(result.speed);
  return result;
}

std::int32_t SpeedSpinStepsAfterHolding(double heldSeconds) {
  if (heldSeconds < 1.0) return 1;
  if (heldSeconds < 2.0) return 10;
  return 100;
}

double SecondsPerScreen(std::int32_t direction, double speed) {
  const VideoStandard& standard = CurrentVideoStandard();
  const double s = std::clamp(speed, kMinTitleSpeed, kMaxTitleSpeed);
  const double frameDelta = standard.FrameDelta == 0.0 ? 40.0 : standard.FrameDelta;
  double pixelsPerSecond = s * 2000.0 / frameDelta;  // two fields a frame
  if (pixelsPerSecond == 0.0) pixelsPerSecond = 50.0;
  if (TravelsHorizontally(direction)) return standard.FrameWidth / pixelsPerSecond;
  if (TravelsVertically(direction)) return standard.FrameHeight / pixelsPerSecond;
  return 0.0;
}

std::string SecondsPerScreenText(std::int32_t direction, double speed) {
  return Printed("%5.3f", SecondsPerScreen(direction, speed));
}

}  // namespace vantorelle
