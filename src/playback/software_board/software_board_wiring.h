// What every board a software board factory makes shares: the clock its
// components run against and the output stage their frames and sound go to.
// Rendering to a file gives a virtual clock and an output with the encoder
// as its sink; playback a steady clock and the preview window.
#pragma once

#include <memory>

#include "playback/software_board/board_clock.h"
#include "playback/software_board/board_output.h"

namespace vantorelle {

struct SoftwareBoardWiring {
  std::shared_ptr<BoardClock> clock;
  std::shared_ptr<BoardOutput> output;
};

// A steady clock and an output without a sink, of the format.
SoftwareBoardWiring MakeSoftwareBoardWiring(const SoftwareBoardFormat& format);

}  // namespace vantorelle
