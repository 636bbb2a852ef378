// The sound of a movie or sound file as the board plays it: decoded with
// libavcodec and resampled with libswresample to 48 kHz stereo float, read on
// from any position. Mono sound goes to both channels at its own level; more
// channels are folded into stereo as stereo_downmix.h says.
// Time 0 is the file's time origin (media_time_origin.h), and the sound is
// placed by its timestamps, not by a sample count from the start: encoder
// priming (AAC delay, MP3 gapless information, Opus pre-skip) is cut away,
// and where two frames in a row are stamped elsewhere than the samples so
// far reach (sound the recorder dropped, or sound repeated) silence fills
// the gap or the repeated part is dropped, so the sound stays within 10 ms
// of where its timestamps put it however long the file.
// The resampler hands its output over in pieces of bounded size, so a file
// declaring a very low rate (where one input sample makes thousands of output
// samples) costs no more memory than a usual one; rates no sound card uses
// are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "playback/ffmpeg_handles.h"
#include "playback/klp_result.h"

struct SwrContext;

namespace vantorelle {

struct SwrContextFree {
  void operator()(SwrContext* context) const;
};
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextFree>;

class MovieAudioReader {
 public:
  // The highest sound rate taken; above it the resampler's filter alone
  // grows to many megabytes.
  static constexpr int kMaxSampleRate = 768000;
  // The most output sample frames one resampler call makes.
  static constexpr int kPieceFrames = 4096;

  // KlpBadFormat when the file holds no sound FFmpeg can decode, or its rate
  // is not between 1 Hz and kMaxSampleRate.
  KlpResult Open(const std::string& path);
  bool IsOpen() const { return input_ != nullptr; }

  // The next Read starts at this time, in seconds from the file's time origin.
  bool SeekTo(double seconds);
  // Fills frames stereo sample frames (interleaved); what lies past the end of
  // the sound is silence. Returns how many came from the file.
  std::size_t Read(float* out, std::size_t frames);

 private:
  // Opens path_ into input_.
  KlpResult OpenInput();
  // Decodes on and appends to pending_; false at the end of the sound.
  bool DecodeMore();
  // Where the decoded frame_ goes: input samples to drop from its start and
  // seconds of silence to put before it; false when all of it lies before
  // what is to be handed out next.
  bool Place(std::size_t& skip, double& gapSeconds);
  // Hands frame_ (after its first skip samples) to the resampler.
  bool ConvertWaiting(std::size_t skip);
  bool Convert(const AVFrame& frame, std::size_t skip);
  // Takes the next piece of what the resampler still holds; false when it
  // gave nothing.
  bool DrawHeld();
  bool FlushPiece();
  void AppendConverted(int made);
  bool MakeResampler(const AVFrame& frame);

  std::string path_;
  AvInputPtr input_;
  bool inputEnded_ = false;  // the demuxer has read to the end of the file
  AvCodecContextPtr codec_;
  AvPacketPtr packet_;
  AvFramePtr frame_;
  SwrContextPtr resampler_;
  int stream_ = -1;
  AVRational timeBase_{1, 1};
  double origin_ = 0.0;   // the file's time 0, in seconds of its clock
  double preroll_ = 0.0;  // seconds decoded before a seek target, to settle the decoder
  double expected_ = 0.0;  // clock time of the next input sample, when placed_
  bool placed_ = false;
  bool driftSeen_ = false;  // the last frame's timestamp was off by lastDrift_
  double lastDrift_ = 0.0;
  double clockShift_ = 0.0;    // added to timestamps after the file's clock was set anew
  bool clockMayJump_ = false;  // the container allows that (MPEG-TS)
  // What the resampler was made for; another kind of frame makes a new one.
  int resamplerFormat_ = -1;
  int resamplerRate_ = 0;
  int resamplerChannels_ = 0;
  std::uint64_t resamplerMask_ = 0;
  bool draining_ = false;        // the old resampler empties before a gap or a new one
  std::int64_t gapFrames_ = 0;   // silence that follows the draining
  bool frameWaiting_ = false;    // frame_ goes in after the draining and the gap
  std::size_t waitingSkip_ = 0;
  std::vector<float> pending_;  // stereo, interleaved
  std::size_t pendingAt_ = 0;
  std::vector<float> converted_;
  std::int64_t silenceAhead_ = 0;  // frames of silence to hand out before pending_
  double target_ = 0.0;      // time of the next sample to hand out after a seek
  bool trimming_ = false;    // samples before target_ are still to be dropped
  bool resamplerHoldsMore_ = false;  // the last call filled its piece: more may wait
  bool flushing_ = false;            // the file's sound is decoded; the resampler empties
  bool drained_ = false;
  bool ended_ = false;
};

}  // namespace vantorelle
