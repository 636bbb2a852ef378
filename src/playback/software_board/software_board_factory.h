// The software board: the editor's own implementation of the board's play
// components, built on FFmpeg.
#pragma once

#include <memory>

#include "playback/klp_interfaces.h"
#include "playback/software_board/software_board_format.h"
#include "playback/software_board/software_board_wiring.h"

namespace vantorelle {

// Each board it makes has a steady clock and an output of its own, without a sink.
std::unique_ptr<IKlpComponentFactory> CreateSoftwareBoardFactory(const SoftwareBoardFormat& format);
// Every board it makes shares the wiring's clock and output, and runs in the
// output's format at the time it is made (BoardOutput::SetFormat switches it).
std::unique_ptr<IKlpComponentFactory> CreateSoftwareBoardFactory(const SoftwareBoardFormat& format,
                                                                 SoftwareBoardWiring wiring);

}  // namespace vantorelle
