#include "playback/peak_computing.h"

#include <vector>

#include "playback/software_board/movie_audio_reader.h"

namespace vantorelle {

std::optional<WaveformPeaks> ComputeWaveformPeaks(const std::string& path,
                                                  const std::function<bool(const WaveformPeaks&)>& progress) {
  MovieAudioReader reader;
  if (reader.Open(path) != KlpOk) return std::nullopt;
  WaveformPeaks peaks;
  PeakBlockMaker maker;
  std::vector<float> piece(kPeakPieceFrames * 2);
  std::vector<PeakPair> blocks;
  for (;;) {
    const std::size_t read = reader.Read(piece.data(), kPeakPieceFrames);
    blocks.clear();
    maker.Add(piece.data(), read, blocks);
    if (read < kPeakPieceFrames) maker.Finish(blocks);
    peaks.Append(blocks);
    if (read < kPeakPieceFrames) break;
    if (progress && !progress(peaks)) return std::nullopt;
  }
  peaks.MarkComplete();
  return peaks;
}

}  // namespace vantorelle
