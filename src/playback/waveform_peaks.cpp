#include "playback/waveform_peaks.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {
namespace {

std::int16_t ToSample(float value) {
  if (!(std::abs(value) < 2.0f)) value = std::isnan(value) ? 0.0f : std::copysign(2.0f, value);
  return static_cast<std::int16_t>(std::clamp(std::lround(value * 32768.0f), -32768L, 32767L));
}

// Eight running lanes, so the compiler can keep them in vector registers.
constexpr std::size_t kLanes = 8;

void Extremes(const float* samples, std::size_t count, float& low, float& high) {
  std::size_t i = 0;
  if (count >= kLanes) {
    float lows[kLanes];
    float highs[kLanes];
    for (std::size_t lane = 0; lane < kLanes; ++lane) lows[lane] = highs[lane] = samples[lane];
    for (; i + kLanes <= count; i += kLanes) {
      for (std::size_t lane = 0; lane < kLanes; ++lane) {
        const float value = samples[i + lane];
        lows[lane] = value < lows[lane] ? value : lows[lane];
        highs[lane] = value > highs[lane] ? value : highs[lane];
      }
    }
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
      low = std::min(low, lows[lane]);
      high = std::max(high, highs[lane]);
    }
  }
  for (; i < count; ++i) {
    low = std::min(low, samples[i]);
    high = std::max(high, samples[i]);
  }
}

}  // namespace

PeakPair Union(const PeakPair& a, const PeakPair& b) {
  return PeakPair{std::min(a.low, b.low), std::max(a.high, b.high)};
}

void PeakBlockMaker::Add(const float* stereo, std::size_t frames, std::vector<PeakPair>& out) {
  std::size_t done = 0;
  while (done < frames) {
    if (filled_ == 0) low_ = high_ = stereo[done * 2];
    const std::size_t take = std::min(frames - done, static_cast<std::size_t>(kPeakBlockFrames - filled_));
    Extremes(stereo + done * 2, take * 2, low_, high_);
    done += take;
    filled_ += static_cast<std::int64_t>(take);
    if (filled_ == kPeakBlockFrames) {
      out.push_back(PeakPair{ToSample(low_), ToSample(high_)});
      filled_ = 0;
    }
  }
}

void PeakBlockMaker::Finish(std::vector<PeakPair>& out) {
  if (filled_ > 0) out.push_back(PeakPair{ToSample(low_), ToSample(high_)});
  filled_ = 0;
}

WaveformPeaks::WaveformPeaks(std::vector<PeakPair> blocks) {
  if (blocks.empty()) return;
  levels_.push_back(std::move(blocks));
  Settle(0);
}

const std::vector<PeakPair>& WaveformPeaks::Blocks() const {
  static const std::vector<PeakPair> none;
  return levels_.empty() ? none : levels_[0];
}

void WaveformPeaks::Append(std::span<const PeakPair> blocks) {
  if (blocks.empty()) return;
  if (levels_.empty()) levels_.emplace_back();
  const std::size_t first = levels_[0].size();
  levels_[0].insert(levels_[0].end(), blocks.begin(), blocks.end());
  Settle(first);
}

void WaveformPeaks::Settle(std::size_t firstChanged) {
  // Each level above holds half as many entries, the last one covering what
  // is known of its pair, so a sound being measured shows at every zoom.
  for (std::size_t level = 1; levels_[level - 1].size() > 1; ++level) {
    if (levels_.size() <= level) levels_.emplace_back();
    const std::vector<PeakPair>& below = levels_[level - 1];
    std::vector<PeakPair>& above = levels_[level];
    firstChanged /= 2;
    above.resize((below.size() + 1) / 2);
    for (std::size_t i = firstChanged; i < above.size(); ++i) {
      above[i] = 2 * i + 1 < below.size() ? Union(below[2 * i], below[2 * i + 1]) : below[2 * i];
    }
  }
}

std::optional<PeakPair> WaveformPeaks::Over(std::int64_t from, std::int64_t to) const {
  from = std::max<std::int64_t>(from, 0);
  if (to <= from) to = from + 1;
  if (levels_.empty() || from >= BlockCount() * kPeakBlockFrames) return std::nullopt;
  std::size_t level = 0;
  while (level + 1 < levels_.size() && (kPeakBlockFrames << (level + 1)) <= to - from) ++level;
  const std::int64_t width = kPeakBlockFrames << level;
  const std::vector<PeakPair>& entries = levels_[level];
  const auto first = static_cast<std::size_t>(from / width);
  const auto end = std::min(entries.size(), static_cast<std::size_t>((to + width - 1) / width));
  PeakPair result = entries[first];
  for (std::size_t i = first + 1; i < end; ++i) result = Union(result, entries[i]);
  return result;
}

}  // namespace vantorelle
