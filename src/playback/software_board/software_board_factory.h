// The software board: the editor's own implementation of the board's play
// components, built on FFmpeg.
#pragma once

#include <memory>

#include "playback/klp_interfaces.h"
#include "playback/software_board/software_board_format.h"

namespace vantorelle {

std::unique_ptr<IKlpComponentFactory> CreateSoftwareBoardFactory(const SoftwareBoardFormat& format);

}  // namespace vantorelle
