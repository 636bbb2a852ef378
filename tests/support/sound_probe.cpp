#include "support/sound_probe.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "playback/software_board/movie_audio_reader.h"

namespace vantorelle::testing {

bool HasFfmpegProgram() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

bool RunFfmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

std::vector<float> ReadFrames(MovieAudioReader& reader, std::size_t frames) {
  std::vector<float> out(frames * 2, 0.0f);
  std::size_t done = 0;
  for (std::size_t block = 1; done < frames; block = block % 1931 + 977) {
    const std::size_t count = std::min(block, frames - done);
    reader.Read(out.data() + done * 2, count);
    done += count;
  }
  return out;
}

double Rms(const std::vector<float>& stereo, int channel, std::size_t from, std::size_t count) {
  double sum = 0.0;
  for (std::size_t i = from; i < from + count && i * 2 + 1 < stereo.size(); ++i) {
    const double sample = stereo[i * 2 + static_cast<std::size_t>(channel)];
    sum += sample * sample;
  }
  return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

double ToneAmplitude(const std::vector<float>& stereo, int channel, double hertz, std::size_t from,
                     std::size_t count) {
  double re = 0.0;
  double im = 0.0;
  for (std::size_t i = 0; i < count && (from + i) * 2 + 1 < stereo.size(); ++i) {
    const double sample = stereo[(from + i) * 2 + static_cast<std::size_t>(channel)];
    const double phase = 2.0 * std::numbers::pi * hertz * static_cast<double>(i) / 48000.0;
    re += sample * std::cos(phase);
    im += sample * std::sin(phase);
  }
  return count ? 2.0 * std::hypot(re, im) / static_cast<double>(count) : 0.0;
}

std::size_t LoudestFrame(const std::vector<float>& stereo, std::size_t from, std::size_t count) {
  std::size_t loudest = from;
  float largest = -1.0f;
  for (std::size_t i = from; i < from + count && i * 2 + 1 < stereo.size(); ++i) {
    const float magnitude = std::max(std::abs(stereo[i * 2]), std::abs(stereo[i * 2 + 1]));
    if (magnitude > largest) {
      largest = magnitude;
      loudest = i;
    }
  }
  return loudest;
}

float LargestMagnitude(const std::vector<float>& stereo) {
  float largest = 0.0f;
  for (const float sample : stereo) largest = std::max(largest, std::abs(sample));
  return largest;
}

}  // namespace vantorelle::testing
