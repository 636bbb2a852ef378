// The max speed of a movable title track as the dialogs show and take it:
// pixels per field typed with two decimals, a spin control in hundredths,
// and beside it the time one screen takes at that speed.
#pragma once

#include <cstdint>
#include <string>

namespace vantorelle {

inline constexpr double kMinTitleSpeed = 0.01;
inline constexpr double kMaxTitleSpeed = 100.0;
// The spin control's range, in hundredths of a pixel per field.
inline constexpr std::int32_t kMinSpeedSteps = 1;
inline constexpr std::int32_t kMaxSpeedSteps = 10000;

// The speed as the field shows it: "%5.2f".
std::string FormatTitleSpeed(double speed);
// A typed speed text read as a number; text that is no number reads as 0.
double ParseTitleSpeed(const std::string& text);

// A speed field's value after it lost the focus: the hundredths truncated
// into the spin control's range, and the text made from them.
struct NormalisedSpeed {
  std::int32_t steps = kMinSpeedSteps;  // the spin control's position
  double speed = kMinTitleSpeed;        // steps × 0.01
  std::string text;
};
NormalisedSpeed NormaliseTitleSpeed(double typed);
NormalisedSpeed SpeedOfSteps(std::int32_t steps);

// How many hundredths one tick of the held spin control moves.
std::int32_t SpeedSpinStepsAfterHolding(double heldSeconds);

// Seconds a title takes to cross the whole frame in the direction, at the
// speed limited to the typed range; 0 for a direction that does not move.
double SecondsPerScreen(std::int32_t direction, double speed);
// The same as the dialogs show it: "%5.3f".
std::string SecondsPerScreenText(std::int32_t direction, double speed);

}  // namespace vantorelle
