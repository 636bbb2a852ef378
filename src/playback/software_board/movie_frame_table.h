// Where every frame of a picture stream lies in time, in presentation order:
// frame n is the n-th picture shown, and the frame shown at a time is the one
// whose presentation time is the latest at or before it. Built once when a
// movie opens, without decoding: from the container's index where it lists
// every frame and tells their times (AVI without B-frames, MP4 and MOV with
// their sample tables), else by reading the stream's packets once, at the
// speed the file can be read. So durations come from the frames the file
// really holds and variable frame rates are placed by their timestamps. Also
// lists the key frames to seek to.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vantorelle {

// Whether a packet read from the picture stream holds a frame of its own.
bool IsPictureFrame(const AVPacket& packet);

class MovieFrameTable {
 public:
  struct KeyFrame {
    std::int64_t index = 0;                    // presentation index of the key frame
    std::int64_t firstLabel = 0;               // the frame number its decoding starts counting at
    std::int64_t seekTimestamp = 0;            // its decode (or presentation) timestamp
    std::int64_t position = -1;                // its byte position in the file, -1 unknown
  };

  // Leaves the demuxer anywhere (the caller seeks afterwards); reads from
  // where it stands when the packets must be read. nullopt when the stream
  // holds no frame. fileSize: bytes in the file, to tell a cut file.
  static std::optional<MovieFrameTable> Build(AVFormatContext& input, int stream, double nominalRate,
                                              std::int64_t fileSize);

  std::int64_t Count() const { return static_cast<std::int64_t>(times_.size()); }
  // The frame shown at a time in seconds from the first frame, clamped.
  std::int64_t FrameAt(double seconds) const;
  // When frame n (clamped) starts, in seconds from the first frame.
  double FrameSeconds(std::int64_t n) const;
  // From the first frame's start to the last frame's end.
  double Seconds() const;

  // Whether decoded frames carry presentation timestamps to be placed by;
  // otherwise (AVI, which stores only decode order) they are counted on from
  // the key frame decoding started at, as decoders put them out in order.
  bool LabelsByTimestamp() const { return labelsByTimestamp_; }
  // The frame shown at a presentation timestamp: -1 before the first frame.
  std::int64_t IndexOfPresentation(std::int64_t timestamp) const;
  // Where a decode timestamp stands among the frames, when the table holds
  // decode times (-1 when it holds presentation times).
  std::int64_t IndexOfDecode(std::int64_t timestamp) const;
  // The frame number decoding from a key frame packet starts counting at:
  // its place in presentation order, or in decode order where the file has
  // no presentation times; -1 when it cannot be told.
  std::int64_t IndexOfKeyPacket(const AVPacket& packet) const;

  // The latest key frame whose picture comes at or before frame n, and the
  // one before a given key frame (the first stays the first).
  const KeyFrame& KeyAtOrBefore(std::int64_t n) const;
  const KeyFrame& KeyBefore(const KeyFrame& key) const;
  // False when no packet was marked a key frame: decoding starts anywhere.
  bool MarksKeyFrames() const { return marksKeyFrames_; }

 private:
  std::int64_t DurationTicks() const;
  double TicksToSeconds(std::int64_t ticks) const;

  // Sorted; presentation time of frame n is times_[n] + offset_.
  std::vector<std::int64_t> times_;
  std::int64_t offset_ = 0;
  bool timesArePresentation_ = true;  // else decode timestamps (offset_ shifts them)
  bool labelsByTimestamp_ = true;
  bool marksKeyFrames_ = true;
  std::int64_t lastDuration_ = 0;
  AVRational timeBase_{1, 1};
  std::vector<KeyFrame> keys_;  // by index
  std::vector<std::pair<std::int64_t, std::int64_t>> keysByPosition_;  // (byte position, first label)
};

}  // namespace vantorelle
