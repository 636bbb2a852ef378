// A look into a media file with libavformat, apart from the board: what each
// picture and sound stream holds (codec, whether this build decodes it, frame
// rate, pixel shape, colour matrix, channel layout) and, for a file the board
// cannot use, the reason in words a person understands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantorelle {

struct ProbedVideoStream {
  std::string codec;           // FFmpeg's codec name, or the stored four-character code
  bool decodable = false;      // this build has a decoder for it
  std::int32_t width = 0;
  std::int32_t height = 0;
  double framesPerSecond = 0.0;
  std::int32_t pixelAspectNum = 1;  // 1:1 when the file says nothing
  std::int32_t pixelAspectDen = 1;
  std::string colourMatrix;    // "bt709", "bt470bg", ...; "unknown" when untagged
};

struct ProbedAudioStream {
  std::string codec;
  bool decodable = false;
  std::int32_t sampleRate = 0;
  std::int32_t channels = 0;
  std::string channelLayout;   // "stereo", "5.1(side)", ...
  std::string sampleFormat;    // "s16", "fltp", ...
};

enum class MediaProbeVerdict {
  Usable,          // a picture or sound stream this build decodes
  NoMediaStream,   // not media at all, or only other streams (subtitles, data)
  NoDecoder,       // the picture or sound is in a codec this build cannot decode
  Damaged,         // a media file whose headers or data cannot be read
};

struct MediaProbe {
  MediaProbeVerdict verdict = MediaProbeVerdict::NoMediaStream;
  std::string container;       // FFmpeg's name for the container, empty when unknown
  std::vector<ProbedVideoStream> video;
  std::vector<ProbedAudioStream> audio;
  std::string undecodableCodec;  // for NoDecoder: the first codec without decoder
};

// Never throws; a file that cannot be read at all is NoMediaStream or Damaged.
MediaProbe ProbeMediaFile(const std::string& path);

// Why a file cannot be used, e.g. "no picture or sound stream",
// "codec QQQQ cannot be decoded", "damaged file". Empty for a usable probe.
std::string RefusalReason(const MediaProbe& probe);

}  // namespace vantorelle
