// Where a time line or title task stands in its content, following its state
// against the board clock: stopped at the start, frozen while prepared or
// paused, running with the clock while playing.
#pragma once

#include <cstdint>
#include <memory>

#include "playback/klp_result.h"
#include "playback/software_board/board_clock.h"

namespace vantorelle {

// States as the time lines and title tasks are given them: 0 stop, 1 and 2
// preparation, 3 pause, 4 play.
inline constexpr std::int32_t kPlayStopped = 0;
inline constexpr std::int32_t kPlayPrepared1 = 1;
inline constexpr std::int32_t kPlayPrepared2 = 2;
inline constexpr std::int32_t kPlayPaused = 3;
inline constexpr std::int32_t kPlayPlaying = 4;

class PlayPosition {
 public:
  explicit PlayPosition(std::shared_ptr<const BoardClock> clock) : clock_(std::move(clock)) {}

  // KlpInvalidArgument for a state outside 0..4 (allowPrepare1 false: 1 too).
  KlpResult PutState(std::int32_t state, bool allowPrepare1);
  std::int32_t State() const { return state_; }
  bool Playing() const { return state_ == kPlayPlaying; }
  // Seconds of content output so far.
  double Seconds() const;
  // Seconds of content output by the given board time (the clock's now while
  // playing; frozen otherwise).
  double SecondsAt(double boardTime) const;
  // Back to the start, stopped.
  void Rewind();

 private:
  std::shared_ptr<const BoardClock> clock_;
  std::int32_t state_ = kPlayStopped;
  double frozen_ = 0.0;  // position while not playing
  double origin_ = 0.0;  // board time of position 0 while playing
};

}  // namespace vantorelle
