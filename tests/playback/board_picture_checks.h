// What the picture tests of the board share: playing a whole movie through a
// video line, and reading and comparing colours of the frames the sink got.
// (Running the ffmpeg program to make media is in support/sound_probe.h.)
#pragma once

#include <string>
#include <vector>

#include "board_output_rig.h"
#include "playback/software_board/rgb_frame.h"

namespace vantorelle::testing {

// Plays a whole movie file through a video time line and returns what the
// sink received.
std::vector<RgbFrame> RenderWholeMovie(BoardOutputRig& rig, const std::string& path, double seconds);

// Levels of a pixel, as ints so differences can be taken.
struct ColourLevels {
  int r = 0;
  int g = 0;
  int b = 0;
};

ColourLevels At(const RgbFrame& frame, int x, int y);
std::string Text(ColourLevels c);
bool Within(ColourLevels c, ColourLevels expected, int levels);

}  // namespace vantorelle::testing
