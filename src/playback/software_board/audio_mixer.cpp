#include "playback/software_board/audio_mixer.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

void AudioMixer::Begin(std::size_t frames) { sum_.assign(frames * 2, 0.0f); }

void AudioMixer::Add(const float* interleavedStereo, float gain) {
  for (std::size_t i = 0; i < sum_.size(); ++i) sum_[i] += interleavedStereo[i] * gain;
}

const std::vector<float>& AudioMixer::Finish() {
  for (float& sample : sum_) sample = std::isnan(sample) ? 0.0f : std::clamp(sample, -1.0f, 1.0f);
  return sum_;
}

std::int16_t ToInt16(float sample) {
  if (std::isnan(sample)) return 0;
  const float scaled = std::clamp(sample, -1.0f, 1.0f) * 32767.0f;
  return static_cast<std::int16_t>(std::lround(scaled));
}

}  // namespace vantorelle
