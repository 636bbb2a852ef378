// Start-up query of the board's video format into the process-wide standard.
#pragma once

#include "playback/klp_interfaces.h"

namespace vantorelle {

// Sets the default standard, then asks the board for its format. Answers true
// (and takes the board's values) only when the board answered with a non-zero
// width, height and rate; any failure is silent and keeps the defaults.
bool QueryBoardStandard(IKlpComponentFactory& factory);

}  // namespace vantorelle
