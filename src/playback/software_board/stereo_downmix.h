// How the board folds any channel layout into its stereo output. Front left
// and right go to their side at full level, the centre to both sides at
// -3 dB, every other left or right channel (surrounds, backs, sides, wide
// and height channels) to its side at -3 dB, back and top centres to both
// at -3 dB, and the low-frequency channels are dropped. Where a side would
// sum to more than full scale the whole mix is scaled down by the same
// factor, so channels all at full scale cannot clip: for 5.1 that factor is
// 1 / (1 + 2 x 0.7071), for 7.1 1 / (1 + 3 x 0.7071). Mono goes to both sides
// at its own level, stereo is left as it is.
#pragma once

#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace vantorelle {

// -3 dB.
inline constexpr double kSideChannelLevel = 0.70710678118654752;

// The mix for a layout: 2 rows (left, right) of one weight per input
// channel, row after row.
std::vector<double> StereoDownmixMatrix(const AVChannelLayout& layout);

}  // namespace vantorelle
