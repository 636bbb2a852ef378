// The outline of a sound, for drawing it under its clips: the lowest and the
// highest sample of every block of kPeakBlockFrames sample frames, taken over
// both channels of the sound as the board plays it (48 kHz stereo), and
// coarser levels above, each entry the union of two of the level below. A
// wide zoom reads a coarse level, so a pixel column costs a few values
// whatever the zoom.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vantorelle {

// The rate the sound is measured at: the board's (output_sink.h).
inline constexpr int kPeakSampleRate = 48000;
// About 5.3 ms a block: finer than a pixel at all but the narrowest zooms.
inline constexpr std::int64_t kPeakBlockFrames = 256;

// Samples as 16-bit values: full scale is 32768, so 16-bit sound keeps its
// exact values.
struct PeakPair {
  std::int16_t low = 0;
  std::int16_t high = 0;
  bool operator==(const PeakPair&) const = default;
};

PeakPair Union(const PeakPair& a, const PeakPair& b);

// Folds interleaved stereo float samples into the pairs of whole blocks.
class PeakBlockMaker {
 public:
  void Add(const float* stereo, std::size_t frames, std::vector<PeakPair>& out);
  // The last block, when the sound ends inside one.
  void Finish(std::vector<PeakPair>& out);

 private:
  float low_ = 0.0f;
  float high_ = 0.0f;
  std::int64_t filled_ = 0;  // frames of the block begun
};

class WaveformPeaks {
 public:
  WaveformPeaks() = default;
  explicit WaveformPeaks(std::vector<PeakPair> blocks);

  // Blocks that follow the ones known; the coarser levels follow them.
  void Append(std::span<const PeakPair> blocks);
  // The whole sound is in: nothing more will come.
  void MarkComplete() { complete_ = true; }
  bool Complete() const { return complete_; }

  std::int64_t BlockCount() const { return levels_.empty() ? 0 : static_cast<std::int64_t>(levels_[0].size()); }
  const std::vector<PeakPair>& Blocks() const;
  std::size_t LevelCount() const { return levels_.size(); }
  // Level 0 is the blocks; level k has blocks of kPeakBlockFrames << k frames.
  const std::vector<PeakPair>& Level(std::size_t level) const { return levels_[level]; }

  // The lowest and highest sample of the frames [from, to) as far as they
  // are known, read from the coarsest level whose blocks are no wider than
  // the stretch (so the answer may reach up to a block beyond either end);
  // none when nothing of it is known. A stretch shorter than a frame reads
  // the block of its first frame.
  std::optional<PeakPair> Over(std::int64_t from, std::int64_t to) const;

 private:
  // Brings the coarser levels up to date from level-0 block firstChanged on.
  void Settle(std::size_t firstChanged);

  std::vector<std::vector<PeakPair>> levels_;
  bool complete_ = false;
};

}  // namespace vantorelle
