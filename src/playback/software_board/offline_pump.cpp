#include "playback/software_board/offline_pump.h"

namespace vantorelle {

bool OfflinePump::Step() {
  const bool made = output_->RenderAt(clock_->Now(), true);
  clock_->Advance(1.0 / output_->Format().framesPerSecond);
  return made;
}

std::int64_t OfflinePump::RunToEnd(std::int64_t maxFrames) {
  // Content shorter than half a frame makes no frame of its own.
  const double halfFrame = 0.5 / output_->Format().framesPerSecond;
  std::int64_t made = 0;
  while (made < maxFrames && output_->ContentLeftAt(clock_->Now()) > halfFrame && Step()) ++made;
  output_->EndPlay();
  return made;
}

}  // namespace vantorelle
