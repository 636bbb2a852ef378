// Picks the board the editor and the command-line tool run with: the software
// board in the chosen video standard, or none at all (--no-board).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "playback/klp_interfaces.h"
#include "playback/software_board/software_board_wiring.h"

namespace vantorelle {

struct BoardSelection {
  std::unique_ptr<IKlpComponentFactory> factory;
  std::vector<std::string> remainingArguments;  // what the options left over
  std::string error;                            // set when an option was bad
  bool noBoard = false;
  // The software board's clock and output, shared by every board the factory
  // makes, so the editor can watch and hear what plays; none without a board.
  std::optional<SoftwareBoardWiring> wiring;
};

// The names a video standard may be given by, for help and error texts.
inline constexpr const char* kVideoFormatNames =
    "pal, pal-wide, ntsc, ntsc-vga, WIDTHxHEIGHT@RATE (1920x1080@25, 1280x720@59.94) or HEIGHTpRATE "
    "(1080p25, 2160p29.97)";

// Understands "--no-board" and "--video-standard NAME" (or "--video-standard=NAME")
// with NAME any video format name (see ParseVideoFormatName); the environment
// value, when given, is the default standard name.
BoardSelection SelectBoard(const std::vector<std::string>& arguments, const char* environmentStandard);

}  // namespace vantorelle
