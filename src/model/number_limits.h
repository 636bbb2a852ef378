// Bounds on the numbers a project may hold, and the one safe way to turn a
// floating-point value into an integer: a damaged file can bring NaN, the
// infinities or 1e300, and a plain conversion of those is undefined.
#pragma once

#include <concepts>
#include <limits>

namespace vantorelle {

// No time of a project lies beyond 24 hours (the editor's time fields end
// at 24:00:00:000, and imports and edit scripts take no later times).
inline constexpr double kLongestProjectTime = 86'400'000.0;

// The value truncated towards zero, held to the integer's range; NaN gives 0.
template <std::integral Int>
constexpr Int ClampedCast(double value) noexcept {
  if (value != value) return 0;  // NaN
  // Both limits are exact in a double for every integer up to 64 bits
  // (the largest 64-bit value rounds up to 2^63, which is out of range).
  constexpr double lowest = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double highest = static_cast<double>(std::numeric_limits<Int>::max());
  if (value <= lowest) return std::numeric_limits<Int>::min();
  if (value >= highest) return std::numeric_limits<Int>::max();
  return static_cast<Int>(value);
}

// The value within [low, high]; NaN takes the fallback.
constexpr double ClampedValue(double value, double low, double high, double fallback) noexcept {
  if (value != value) return fallback;  // NaN
  return value < low ? low : value > high ? high : value;
}

}  // namespace vantorelle
