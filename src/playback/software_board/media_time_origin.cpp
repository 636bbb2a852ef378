#include "playback/software_board/media_time_origin.h"

#include <algorithm>

namespace vantorelle {
namespace {

double StartOf(const AVStream& stream) {
  if (stream.start_time == AV_NOPTS_VALUE || stream.time_base.num <= 0 || stream.time_base.den <= 0) return 0.0;
  return static_cast<double>(stream.start_time) * av_q2d(stream.time_base);
}

}  // namespace

double MediaTimeOriginSeconds(const AVFormatContext& input, int soundStream) {
  for (unsigned i = 0; i < input.nb_streams; ++i) {
    const AVStream& stream = *input.streams[i];
    if (stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC)) {
      return StartOf(stream);
    }
  }
  if (soundStream >= 0 && static_cast<unsigned>(soundStream) < input.nb_streams) {
    // Sound stamped before 0 is the encoder's priming (Opus in WebM).
    return std::max(StartOf(*input.streams[soundStream]), 0.0);
  }
  return 0.0;
}

}  // namespace vantorelle
