// Reads a whole media file back with FFmpeg, for tests of what was written:
// every picture as RGB24 and the sound as interleaved stereo floats.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantorelle::testing {

struct DecodedMedia {
  std::string videoCodec;  // FFmpeg's codec names, e.g. "mjpeg", "h264"
  std::string audioCodec;
  std::string container;
  int width = 0;
  int height = 0;
  double framesPerSecond = 0.0;
  int sampleRate = 0;
  int channels = 0;
  std::vector<std::vector<std::uint8_t>> frames;  // RGB24, width × height × 3 each
  std::vector<float> audio;                       // interleaved stereo

  // Mean colour of a square of the given frame.
  struct Rgb {
    int r = 0, g = 0, b = 0;
  };
  Rgb MeanColour(std::size_t frame, int x, int y, int size) const;
};

// None when the file cannot be opened or decoded.
std::optional<DecodedMedia> DecodeMediaFile(const std::string& path);

}  // namespace vantorelle::testing
