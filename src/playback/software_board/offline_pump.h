// Drives the board's output against a virtual clock as fast as the machine
// allows: each step makes the frame for the clock's time, waiting for the
// decoders, then moves the clock on by one frame. Rendering to a file runs
// the editor's own playback through it, so the file shows what playback shows.
#pragma once

#include <cstdint>

#include "playback/software_board/board_clock.h"
#include "playback/software_board/board_output.h"

namespace vantorelle {

class OfflinePump {
 public:
  // Both must outlive the pump.
  OfflinePump(BoardOutput& output, VirtualBoardClock& clock) : output_(&output), clock_(&clock) {}

  // One frame; the clock moves on even when nothing plays. Returns whether a
  // frame was made.
  bool Step();
  // Steps while the playing time lines have content left, at most maxFrames
  // frames, then ends the play. Returns the frames made.
  std::int64_t RunToEnd(std::int64_t maxFrames);

 private:
  BoardOutput* output_;
  VirtualBoardClock* clock_;
};

}  // namespace vantorelle
