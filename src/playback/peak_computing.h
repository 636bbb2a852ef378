// Measuring a source's sound for its waveform: the file decoded as the board
// plays it (movie_audio_reader.h: placed by its timestamps, at 48 kHz stereo)
// and folded into peaks.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "playback/waveform_peaks.h"

namespace vantorelle {

// Frames decoded between two calls of the progress callback (about 0.7 s of sound).
inline constexpr std::size_t kPeakPieceFrames = 32768;

// progress sees the peaks so far after every piece; when it answers false
// the work stops and the answer is none. None too when the file holds no
// sound the board can play. The peaks answered are complete.
std::optional<WaveformPeaks> ComputeWaveformPeaks(const std::string& path,
                                                  const std::function<bool(const WaveformPeaks&)>& progress);

}  // namespace vantorelle
