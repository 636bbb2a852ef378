// A movie file opened with libavformat: what it holds (picture and sound
// streams, sizes, lengths) and exact frames by number, frame n being the n-th
// picture in presentation order. The file and the picture decoder stay open
// between calls; frames asked for in order are decoded on without seeking, a
// jump seeks to the key frame at or before the frame and decodes forward to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "playback/ffmpeg_handles.h"
#include "playback/klp_result.h"
#include "playback/software_board/movie_frame_table.h"

namespace vantorelle {

struct MovieFacts {
  bool hasVideo = false;
  bool hasAudio = false;
  // Picture stream.
  AVCodecID videoCodec = AV_CODEC_ID_NONE;
  bool videoHasAlpha = false;
  bool intraOnly = false;  // every frame decodes on its own
  std::int32_t width = 0;
  std::int32_t height = 0;
  double framesPerSecond = 0.0;  // nominal rate, or the average one of a variable rate
  std::int64_t frameCount = 0;   // frames the file really holds
  double videoSeconds = 0.0;     // from the first frame's start to the last one's end
  // Sound stream.
  double audioSeconds = 0.0;
  std::int32_t sampleRate = 0;
  std::int32_t bitsPerSample = 0;
  std::int32_t channels = 0;
};

// Limits on what a file may ask for; larger pictures are damage or an attack.
inline constexpr std::int32_t kLargestMovieSide = 16384;

class MovieFileDecoder {
 public:
  // KlpFileNotFound when there is no such file; KlpBadFormat when FFmpeg
  // cannot read it as media, or it holds no usable stream.
  KlpResult Open(const std::string& path);
  bool IsOpen() const { return input_ != nullptr; }
  const MovieFacts& Facts() const { return facts_; }

  // The frame shown at a time in seconds from the picture stream's start (its
  // first frame's presentation time): the one whose presentation time is the
  // latest at or before it, clamped to the first and last frame.
  std::int64_t FrameAt(double seconds) const;
  // When frame n (clamped) is first shown, in seconds from the stream's start.
  double FrameSeconds(std::int64_t n) const;

  // The decoded picture of frame n (clamped), valid until the next call; null
  // when it cannot be decoded. A frame the file leaves out (a dropped frame)
  // shows the frame before it.
  const AVFrame* DecodeFrame(std::int64_t n);

  // The stored (compressed) bytes of frame n, for streams whose frames stand
  // alone; false when there are none.
  bool ReadFrameBytes(std::int64_t n, std::vector<std::uint8_t>& bytes);

  // How many threads decode pictures (0: as many as the machine has; 1 at
  // first). Where decoded pictures carry presentation timestamps, frame
  // threads join slice threads; elsewhere pictures are counted as they come
  // out and only slice threads are used. False when the decoder cannot be
  // opened so.
  bool SetDecodingThreads(int count);

  // Decoding statistics, for tests and benchmarks.
  std::int64_t SeekCount() const { return seeks_; }

 private:
  bool FindStreams();
  bool OpenVideoDecoder();
  void MeasureAudio(const AVStream& stream);
  // Positions the demuxer on a key frame at or before frame n (stepsBack key
  // frames further back); the key frame's packet is held back as the next
  // one read.
  bool SeekTo(std::int64_t n, int stepsBack = 0);
  // Seeks to a key frame and holds the key packet found there; start: the
  // frame number decoding from it counts on from, -1 when it cannot be told.
  // False when no key packet can be read there.
  bool SeekToKey(const MovieFrameTable::KeyFrame& key, std::int64_t& start);
  // Reads the next packet of the picture stream; false at the end or on error.
  bool ReadVideoPacket();
  // The frame number of a picture the decoder put out.
  std::int64_t LabelOf(const AVFrame& frame);
  // Decodes until a frame at or past index n comes out; false when none does.
  bool DecodeUpTo(std::int64_t n);
  void ForgetPosition();

  AvInputPtr input_;
  AvCodecContextPtr codec_;
  AvPacketPtr packet_;
  AvFramePtr current_;   // newest frame at or before the one asked for
  AvFramePtr ahead_;     // a frame already decoded past it, kept for the next call
  AvFramePtr scratch_;
  AvPacketPtr held_;   // the key packet a seek landed on, not yet decoded
  bool hasHeld_ = false;
  std::optional<MovieFrameTable> table_;
  bool byteSeek_ = false;          // timestamps may jump (MPEG streams): seek by byte position
  std::int64_t lastLabel_ = -1;     // frame number of the newest picture put out
  std::int64_t seekKeyIndex_ = 0;   // the key frame the last seek started at
  int videoStream_ = -1;
  bool audioIsPcm_ = false;
  AVRational timeBase_{1, 1};
  MovieFacts facts_;
  std::int64_t currentIndex_ = -1;  // frame number of current_, -1 when none
  std::int64_t aheadIndex_ = -1;
  int threads_ = 1;
  bool positioned_ = false;  // reading and decoding follow on from current_
  bool drained_ = false;     // the decoder was told the input ended
  // The demuxer stands right after the stored bytes of frame bytesIndex_.
  bool bytesPositioned_ = false;
  std::int64_t bytesIndex_ = -1;
  std::int64_t seeks_ = 0;
};

}  // namespace vantorelle
