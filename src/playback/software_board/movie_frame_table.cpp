#include "playback/software_board/movie_frame_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "playback/ffmpeg_handles.h"

namespace vantorelle {
namespace {

struct ScannedPacket {
  std::int64_t pts = AV_NOPTS_VALUE;
  std::int64_t dts = AV_NOPTS_VALUE;
  std::int64_t duration = 0;
  std::int64_t position = -1;
  bool key = false;
};

}  // namespace

// An empty chunk is a dropped frame: the picture before it goes on. A frame
// the file was cut off in, or one to be left out, is none either.
bool IsPictureFrame(const AVPacket& packet) {
  return packet.size > 0 && !(packet.flags & (AV_PKT_FLAG_DISCARD | AV_PKT_FLAG_CORRUPT));
}

namespace {

std::int64_t MedianStep(const std::vector<std::int64_t>& sorted) {
  if (sorted.size() < 2) return 0;
  std::vector<std::int64_t> steps;
  steps.reserve(sorted.size() - 1);
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    if (sorted[i] > sorted[i - 1]) steps.push_back(sorted[i] - sorted[i - 1]);
  }
  if (steps.empty()) return 0;
  std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
  return steps[steps.size() / 2];
}

bool IsMovFamily(const AVInputFormat& format) { return std::strncmp(format.name, "mov,", 4) == 0; }

// The frames as the container's index lists them, where it lists every one
// of them and each stands in the file. AVI's index gives each frame's place
// in decode order (timing enough for streams without B-frames); MP4 and MOV
// give decode times, which are the presentation times of streams without
// B-frames and, at a constant rate, those times shifted by the first frame's
// delay. Empty when the index cannot stand for the frames.
std::vector<ScannedPacket> IndexedPackets(AVFormatContext& input, int stream, std::int64_t fileSize) {
  AVStream& st = *input.streams[stream];
  const bool avi = std::strcmp(input.iformat->name, "avi") == 0;
  const bool mov = IsMovFamily(*input.iformat);
  const int count = avformat_index_get_entries_count(&st);
  const bool reordered = st.codecpar->video_delay > 0;
  if ((!avi && !mov) || count <= 0 || (avi && reordered)) return {};
  if (mov && st.nb_frames != count) return {};
  std::vector<ScannedPacket> packets;
  packets.reserve(count);
  for (int i = 0; i < count; ++i) {
    const AVIndexEntry* entry = avformat_index_get_entry(&st, i);
    if (!entry || (entry->flags & AVINDEX_DISCARD_FRAME) || entry->pos < 0 || entry->pos + entry->size > fileSize) {
      return {};
    }
    if (entry->size <= 0) {
      if (mov) return {};
      continue;  // a dropped frame
    }
    packets.push_back({mov ? entry->timestamp : AV_NOPTS_VALUE, entry->timestamp, 0, entry->pos,
                       (entry->flags & AVINDEX_KEYFRAME) != 0});
  }
  if (packets.empty()) return {};
  // An AVI whose index stops short of the length its header gives was cut
  // (or lost its index): its frames are counted by reading them.
  if (avi && st.nb_frames > 0 && packets.back().dts + 1 < st.nb_frames) return {};
  if (mov) {
    const std::int64_t span = packets.back().dts - packets.front().dts;
    if (st.duration > span) packets.back().duration = st.duration - span;
    // The first frame read tells the delay between decode and presentation,
    // whatever the probe guessed about reordering.
    // What has been read is read again when the frames must be read through.
    const std::int64_t first = packets.front().dts;
    const auto rewound = [&input, stream, first] {
      av_seek_frame(&input, stream, first, AVSEEK_FLAG_BACKWARD);
      return std::vector<ScannedPacket>{};
    };
    AvPacketPtr packet(av_packet_alloc());
    if (!packet || av_seek_frame(&input, stream, first, AVSEEK_FLAG_BACKWARD) < 0) return rewound();
    std::int64_t delay = AV_NOPTS_VALUE;
    while (delay == AV_NOPTS_VALUE && av_read_frame(&input, packet.get()) >= 0) {
      if (packet->stream_index == stream && IsPictureFrame(*packet)) {
        if (packet->dts != first || packet->pts == AV_NOPTS_VALUE) return rewound();
        delay = packet->pts - packet->dts;
      }
      av_packet_unref(packet.get());
    }
    if (delay == AV_NOPTS_VALUE) return rewound();
    if (reordered || delay != 0) {
      // Only at a constant rate are the presentation times the decode times
      // shifted; a variable rate with B-frames is read through, from the start.
      for (std::size_t i = 1; i < packets.size(); ++i) {
        if (packets[i].dts - packets[i - 1].dts != packets[1].dts - packets[0].dts) return rewound();
      }
      for (ScannedPacket& p : packets) p.pts = p.dts + delay;
    }
  }
  return packets;
}

std::vector<ScannedPacket> ScannedPackets(AVFormatContext& input, int stream) {
  std::vector<ScannedPacket> packets;
  AvPacketPtr packet(av_packet_alloc());
  if (!packet) return packets;
  while (av_read_frame(&input, packet.get()) >= 0) {
    if (packet->stream_index == stream && IsPictureFrame(*packet)) {
      packets.push_back({packet->pts, packet->dts, packet->duration, packet->pos,
                         (packet->flags & AV_PKT_FLAG_KEY) != 0});
    }
    av_packet_unref(packet.get());
  }
  return packets;
}

}  // namespace

std::optional<MovieFrameTable> MovieFrameTable::Build(AVFormatContext& input, int stream, double nominalRate,
                                                      std::int64_t fileSize) {
  std::vector<ScannedPacket> packets = IndexedPackets(input, stream, fileSize);
  if (packets.empty()) packets = ScannedPackets(input, stream);
  if (packets.empty()) return std::nullopt;

  MovieFrameTable table;
  table.timeBase_ = input.streams[stream]->time_base;
  if (table.timeBase_.num <= 0 || table.timeBase_.den <= 0) return std::nullopt;
  // AVI stores frames in decode order, one tick each, and no presentation
  // times; what libavformat guesses for some of them must not be mixed in.
  const bool decodeOrderOnly = std::strcmp(input.iformat->name, "avi") == 0;
  const bool allPts = std::all_of(packets.begin(), packets.end(),
                                  [](const ScannedPacket& p) { return p.pts != AV_NOPTS_VALUE; });
  const bool allDts = std::all_of(packets.begin(), packets.end(),
                                  [](const ScannedPacket& p) { return p.dts != AV_NOPTS_VALUE; });
  table.times_.reserve(packets.size());
  if (allPts && !decodeOrderOnly) {
    for (const ScannedPacket& p : packets) table.times_.push_back(p.pts);
  } else if (allDts) {
    table.timesArePresentation_ = false;
    table.labelsByTimestamp_ = !decodeOrderOnly;
    for (const ScannedPacket& p : packets) table.times_.push_back(p.dts);
    // Pictures show after their decode time by the decoder's reorder delay:
    // the first key frame with both times tells by how much.
    if (!decodeOrderOnly) {
      const auto key = std::find_if(packets.begin(), packets.end(), [](const ScannedPacket& p) {
        return p.key && p.pts != AV_NOPTS_VALUE;
      });
      if (key != packets.end()) table.offset_ = key->pts - key->dts;
    }
  } else {
    // No usable times at all: frames in file order at the nominal rate.
    table.timesArePresentation_ = false;
    table.labelsByTimestamp_ = false;
    const double rate = nominalRate > 0.0 ? nominalRate : 25.0;
    for (std::size_t i = 0; i < packets.size(); ++i) {
      table.times_.push_back(std::llround(i / rate / av_q2d(table.timeBase_)));
      packets[i].dts = table.times_.back();
    }
  }
  std::vector<std::int64_t> order(table.times_);  // times in file order, for the key frames
  std::sort(table.times_.begin(), table.times_.end());

  const std::int64_t step = MedianStep(table.times_);
  const auto last = std::max_element(order.begin(), order.end());
  const std::int64_t lastPacketDuration = packets[last - order.begin()].duration;
  // AVI gives every chunk one tick, however many ticks a frame lasts.
  table.lastDuration_ = !decodeOrderOnly && lastPacketDuration > 0 ? lastPacketDuration : step;
  if (table.lastDuration_ <= 0) {
    const double rate = nominalRate > 0.0 ? nominalRate : 25.0;
    table.lastDuration_ = std::max<std::int64_t>(1, std::llround(1.0 / rate / av_q2d(table.timeBase_)));
  }

  for (std::size_t i = 0; i < packets.size(); ++i) {
    if (!packets[i].key) continue;
    // A key frame may be shown after pictures decoded behind it (an open
    // GOP): its own presentation time places it where it has one.
    std::int64_t index = 0;
    std::int64_t firstLabel = 0;
    if (table.labelsByTimestamp_ && packets[i].pts != AV_NOPTS_VALUE) {
      index = firstLabel = std::max<std::int64_t>(0, table.IndexOfPresentation(packets[i].pts));
    } else {
      // Counting starts from the key frame's place in decode order. B-frames
      // carry their decode time as presentation time (libavformat marks them
      // so even in AVI): those right behind the key frame are shown before it.
      firstLabel = table.IndexOfDecode(order[i]);
      std::size_t behind = i + 1;
      if (packets[i].pts == AV_NOPTS_VALUE) {
        while (behind < packets.size() && !packets[behind].key && packets[behind].pts != AV_NOPTS_VALUE &&
               packets[behind].pts == packets[behind].dts) {
          ++behind;
        }
      }
      index = std::min<std::int64_t>(firstLabel + static_cast<std::int64_t>(behind - i - 1), table.Count() - 1);
    }
    // Seeking by presentation time suits demuxers indexed by it (Matroska)
    // as well as those indexed by decode time, as key frames lie far apart.
    const std::int64_t seekTimestamp =
        packets[i].pts != AV_NOPTS_VALUE && !decodeOrderOnly ? packets[i].pts : packets[i].dts;
    table.keys_.push_back({index, firstLabel, seekTimestamp, packets[i].position});
  }
  std::sort(table.keys_.begin(), table.keys_.end(),
            [](const KeyFrame& a, const KeyFrame& b) { return a.index < b.index; });
  // A stream that marks no key frame is decoded from its start.
  table.marksKeyFrames_ = !table.keys_.empty();
  if (table.keys_.empty() || table.keys_.front().index > 0) {
    const std::int64_t seekTimestamp = packets.front().dts != AV_NOPTS_VALUE ? packets.front().dts : packets.front().pts;
    table.keys_.insert(table.keys_.begin(), KeyFrame{0, 0, seekTimestamp, packets.front().position});
  }
  for (const KeyFrame& key : table.keys_) {
    if (key.position >= 0) table.keysByPosition_.emplace_back(key.position, key.firstLabel);
  }
  std::sort(table.keysByPosition_.begin(), table.keysByPosition_.end());
  return table;
}

double MovieFrameTable::TicksToSeconds(std::int64_t ticks) const {
  return static_cast<double>(ticks) * timeBase_.num / timeBase_.den;
}

std::int64_t MovieFrameTable::FrameAt(double seconds) const {
  if (times_.empty() || std::isnan(seconds) || seconds <= 0.0) return 0;
  if (seconds >= Seconds()) return Count() - 1;
  // A time a hair below a frame's start still means that frame.
  const double ticks = seconds * timeBase_.den / timeBase_.num;
  const double slack = std::max(1e-6 * static_cast<double>(lastDuration_), 1e-9);
  const double target = std::floor(ticks + slack) + static_cast<double>(times_.front());
  if (target >= static_cast<double>(times_.back())) return Count() - 1;
  const auto after = std::upper_bound(times_.begin(), times_.end(), static_cast<std::int64_t>(target));
  return std::max<std::int64_t>(0, (after - times_.begin()) - 1);
}

double MovieFrameTable::FrameSeconds(std::int64_t n) const {
  if (times_.empty()) return 0.0;
  n = std::clamp<std::int64_t>(n, 0, Count() - 1);
  return TicksToSeconds(times_[n] - times_.front());
}

std::int64_t MovieFrameTable::DurationTicks() const {
  return times_.empty() ? 0 : times_.back() - times_.front() + lastDuration_;
}

double MovieFrameTable::Seconds() const { return TicksToSeconds(DurationTicks()); }

std::int64_t MovieFrameTable::IndexOfPresentation(std::int64_t timestamp) const {
  const auto after = std::upper_bound(times_.begin(), times_.end(), timestamp - offset_);
  return (after - times_.begin()) - 1;
}

std::int64_t MovieFrameTable::IndexOfDecode(std::int64_t timestamp) const {
  if (timesArePresentation_) return -1;
  return std::lower_bound(times_.begin(), times_.end(), timestamp) - times_.begin();
}

std::int64_t MovieFrameTable::IndexOfKeyPacket(const AVPacket& packet) const {
  if (packet.pos >= 0) {
    const auto found = std::lower_bound(keysByPosition_.begin(), keysByPosition_.end(),
                                        std::pair<std::int64_t, std::int64_t>{packet.pos, INT64_MIN});
    if (found != keysByPosition_.end() && found->first == packet.pos) return found->second;
  }
  if (timesArePresentation_ && packet.pts != AV_NOPTS_VALUE) return IndexOfPresentation(packet.pts);
  if (!timesArePresentation_ && packet.dts != AV_NOPTS_VALUE) return IndexOfDecode(packet.dts);
  return -1;
}

const MovieFrameTable::KeyFrame& MovieFrameTable::KeyAtOrBefore(std::int64_t n) const {
  const auto after = std::upper_bound(keys_.begin(), keys_.end(), n,
                                      [](std::int64_t value, const KeyFrame& key) { return value < key.index; });
  return after == keys_.begin() ? keys_.front() : *(after - 1);
}

const MovieFrameTable::KeyFrame& MovieFrameTable::KeyBefore(const KeyFrame& key) const {
  return KeyAtOrBefore(key.index - 1);
}

}  // namespace vantorelle
