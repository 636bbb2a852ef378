// The software board's audio time line, one per audio track: empty stretches
// (silence) and sound super clips one after another. From Prepared on, a
// worker decodes and resamples the sound ahead (48 kHz stereo) with each
// fragment's level and fades applied per sample; while playing, the output
// takes it on block by block. Sound is never dropped: the output waits for
// the worker rather than leave a hole.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "playback/klp_interfaces.h"
#include "playback/software_board/decode_ahead.h"
#include "playback/software_board/play_position.h"
#include "playback/software_board/time_line_content.h"

namespace vantorelle {

class BoardOutput;

class AudioTimeLine final : public IKlpAudioTimeLine {
 public:
  AudioTimeLine(std::shared_ptr<BoardOutput> output, std::shared_ptr<const BoardClock> clock);
  ~AudioTimeLine() override;

  KlpResult PutState(std::int32_t state) override;
  // The length of everything added.
  KlpResult GetLength(double& seconds) override;
  KlpResult AddEmpty(double seconds) override;
  // The clip must be the software board's own super clip; fragments added
  // without sound play as silence.
  KlpResult AddMovie(IKlpSuperClip& clip) override;
  KlpResult Reset(std::int32_t reserved) override;

  // For the board's output.
  bool Playing() const;
  // The next frames stereo sample frames of the line, interleaved; silence
  // past the end of its content.
  void Pull(float* out, std::size_t frames);
  double RestAt(double boardTime) const;

 private:
  std::shared_ptr<BoardOutput> output_;
  mutable std::mutex mutex_;
  PlayPosition position_;
  TimeLineContent content_;
  std::unique_ptr<DecodeAhead<std::vector<float>>> ahead_;
  std::vector<float> chunk_;
  std::size_t chunkAt_ = 0;
  std::int64_t nextChunk_ = 0;
};

}  // namespace vantorelle
