#include "playback/software_board/sound_length.h"

#include <algorithm>
#include <cmath>

#include "model/regular_file.h"
#include "playback/ffmpeg_handles.h"
#include "playback/software_board/media_time_origin.h"

namespace vantorelle {
namespace {

// Seconds of packets read before a promised end; a few packets of any codec.
constexpr double kTailSeconds = 3.0;
// Packets read at one probe while halving; enough to pass other streams'.
constexpr int kProbePackets = 64;
constexpr int kHalvings = 24;

struct Probe {
  bool found = false;
  double end = 0.0;  // seconds of the file's clock
};

// Seeks to at (seconds of the stream's clock) and reads on: all the way to
// the end, or at most kProbePackets packets.
Probe ReadFrom(AVFormatContext& input, int stream, double at, bool toTheEnd) {
  Probe probe;
  const AVRational timeBase = input.streams[stream]->time_base;
  const auto timestamp = static_cast<std::int64_t>(std::floor(at / av_q2d(timeBase)));
  if (av_seek_frame(&input, stream, timestamp, AVSEEK_FLAG_BACKWARD) < 0) return probe;
  AvPacketPtr packet(av_packet_alloc());
  if (!packet) return probe;
  for (int read = 0; toTheEnd || read < kProbePackets; ++read) {
    if (av_read_frame(&input, packet.get()) < 0) break;
    if (packet->stream_index == stream && packet->size > 0 && !(packet->flags & AV_PKT_FLAG_CORRUPT)) {
      std::int64_t start = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
      if (start != AV_NOPTS_VALUE) {
        const double end = static_cast<double>(start + std::max<std::int64_t>(packet->duration, 0)) * av_q2d(timeBase);
        probe.end = probe.found ? std::max(probe.end, end) : end;
        probe.found = true;
      }
    }
    av_packet_unref(packet.get());
  }
  return probe;
}

}  // namespace

double SoundEndSeconds(AVFormatContext& input, int soundStream) {
  if (soundStream < 0 || static_cast<unsigned>(soundStream) >= input.nb_streams) return 0.0;
  const AVStream& stream = *input.streams[soundStream];
  if (stream.time_base.num <= 0 || stream.time_base.den <= 0) return 0.0;
  const double origin = MediaTimeOriginSeconds(input, soundStream);
  const double timeBase = av_q2d(stream.time_base);
  const double start = stream.start_time != AV_NOPTS_VALUE ? stream.start_time * timeBase : 0.0;
  double promised = -1.0;
  if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0) {
    promised = start + stream.duration * timeBase;
  } else if (input.duration != AV_NOPTS_VALUE && input.duration > 0) {
    const double formatStart = input.start_time != AV_NOPTS_VALUE ? input.start_time / double(AV_TIME_BASE) : 0.0;
    promised = formatStart + input.duration / static_cast<double>(AV_TIME_BASE);
  }
  const bool estimated = input.duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;

  Probe tail = ReadFrom(input, soundStream, std::max(start, promised - kTailSeconds), true);
  if (!tail.found && promised > start) {
    // Nothing where the end was promised: halve towards the last place that
    // has packets, then read from there to the end.
    double low = start;
    double high = promised;
    for (int i = 0; i < kHalvings && high - low > 0.5; ++i) {
      const double middle = (low + high) / 2.0;
      const Probe probe = ReadFrom(input, soundStream, middle, false);
      if (probe.found && probe.end >= middle) {
        low = std::min(probe.end, high);
      } else {
        high = middle;
      }
    }
    tail = ReadFrom(input, soundStream, std::max(start, low - kTailSeconds), true);
  }
  double end = promised;
  if (tail.found) end = promised < 0.0 || estimated ? tail.end : std::min(promised, tail.end);
  return std::max(end - origin, 0.0);
}

double SoundEndSecondsOf(const std::string& path) {
  if (!RegularFileProblem(path).empty()) return -1.0;
  AVFormatContext* raw = nullptr;
  if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return -1.0;
  AvInputPtr input(raw);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) return -1.0;
  const int stream = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (stream < 0) return -1.0;
  // Only the sound's packets are wanted: the demuxer skips the others' data.
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    if (static_cast<int>(i) != stream) input->streams[i]->discard = AVDISCARD_ALL;
  }
  return SoundEndSeconds(*input, stream);
}

}  // namespace vantorelle
