#include "playback/software_board/board_clock.h"

#include <cmath>

namespace vantorelle {

void VirtualBoardClock::Advance(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0.0) return;
  now_.store(now_.load() + seconds);
}

}  // namespace vantorelle
