#include "playback/software_board/capture_sink.h"

#include <cmath>

namespace vantorelle {

void CaptureSink::OnVideoFrame(double seconds, const RgbFrame& frame) {
  frames_.push_back(CapturedFrame{seconds, frame});
}

void CaptureSink::OnAudio(double seconds, const float* interleavedStereo, std::size_t frames) {
  if (audio_.empty()) {
    audioStart_ = seconds;
  } else {
    const double expected = audioStart_ + static_cast<double>(AudioFrames()) / kBoardSampleRate;
    if (std::fabs(seconds - expected) > 0.5 / kBoardSampleRate) ++audioGaps_;
  }
  audio_.insert(audio_.end(), interleavedStereo, interleavedStereo + frames * kBoardChannels);
}

}  // namespace vantorelle
