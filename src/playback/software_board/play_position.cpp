#include "playback/software_board/play_position.h"

namespace vantorelle {

KlpResult PlayPosition::PutState(std::int32_t state, bool allowPrepare1) {
  if (state < kPlayStopped || state > kPlayPlaying || (state == kPlayPrepared1 && !allowPrepare1)) {
    return KlpInvalidArgument;
  }
  const double now = clock_->Now();
  if (state == kPlayStopped) {
    frozen_ = 0.0;
  } else if (state == kPlayPlaying) {
    if (state_ != kPlayPlaying) origin_ = now - frozen_;
  } else if (state_ == kPlayPlaying) {
    frozen_ = now - origin_;
  }
  state_ = state;
  return KlpOk;
}

double PlayPosition::SecondsAt(double boardTime) const {
  return state_ == kPlayPlaying ? boardTime - origin_ : frozen_;
}

double PlayPosition::Seconds() const { return SecondsAt(clock_->Now()); }

void PlayPosition::Rewind() {
  state_ = kPlayStopped;
  frozen_ = 0.0;
}

}  // namespace vantorelle
