// The candidate distances between major ruler ticks for a time display mode.
#pragma once

#include <cstdint>
#include <vector>

namespace vantorelle {

// Milliseconds: 28 round steps from 1 ms to 10 hours. Frames and SMPTE: 1, 2
// and 5 times the powers of ten up to a million frames, in frame lengths.
// Any other mode: none.
std::vector<double> BuildRulerSteps(std::int32_t timeDisplayMode);

}  // namespace vantorelle
