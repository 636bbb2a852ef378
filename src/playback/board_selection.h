// Picks the board the editor and the command-line tool run with: the software
// board in the chosen video standard, or none at all (--no-board).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "playback/klp_interfaces.h"

namespace vantorelle {

struct BoardSelection {
  std::unique_ptr<IKlpComponentFactory> factory;
  std::vector<std::string> remainingArguments;  // what the options left over
  std::string error;                            // set when an option was bad
  bool noBoard = false;
};

// Understands "--no-board" and "--video-standard NAME" (or "--video-standard=NAME")
// with NAME one of pal, pal-wide, ntsc, ntsc-vga; the environment value, when
// given, is the default standard name.
BoardSelection SelectBoard(const std::vector<std::string>& arguments, const char* environmentStandard);

}  // namespace vantorelle
