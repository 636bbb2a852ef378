// Sums the sound of the audio time lines for one output block and limits the
// sum to full scale, so loud passages clip instead of wrapping round.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantorelle {

class AudioMixer {
 public:
  // Starts a block of frames stereo sample frames of silence.
  void Begin(std::size_t frames);
  // Adds interleaved stereo sound of the block's length at a gain.
  void Add(const float* interleavedStereo, float gain = 1.0f);
  // Limits every sample to [-1, 1]; not-a-number samples become silence.
  const std::vector<float>& Finish();
  std::size_t Frames() const { return sum_.size() / 2; }

 private:
  std::vector<float> sum_;
};

// Full-scale float sound to 16-bit samples, saturating at the ends.
std::int16_t ToInt16(float sample);

}  // namespace vantorelle
