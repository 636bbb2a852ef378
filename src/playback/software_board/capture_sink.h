// An output sink that keeps everything it is given, for tests and tools that
// check what the board played.
#pragma once

#include <cstdint>
#include <vector>

#include "playback/software_board/output_sink.h"

namespace vantorelle {

struct CapturedFrame {
  double seconds = 0.0;
  RgbFrame frame;
};

class CaptureSink final : public IOutputSink {
 public:
  void OnVideoFrame(double seconds, const RgbFrame& frame) override;
  void OnAudio(double seconds, const float* interleavedStereo, std::size_t frames) override;
  void OnEnd() override { ++ends_; }

  const std::vector<CapturedFrame>& Frames() const { return frames_; }
  // All sound in order, interleaved; sample frame i plays at AudioStart() + i / 48000.
  const std::vector<float>& Audio() const { return audio_; }
  double AudioStart() const { return audioStart_; }
  std::size_t AudioFrames() const { return audio_.size() / kBoardChannels; }
  int Ends() const { return ends_; }
  // Sound blocks whose time did not follow on from the one before.
  int AudioGaps() const { return audioGaps_; }

 private:
  std::vector<CapturedFrame> frames_;
  std::vector<float> audio_;
  double audioStart_ = 0.0;
  int ends_ = 0;
  int audioGaps_ = 0;
};

}  // namespace vantorelle
