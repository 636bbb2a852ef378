#include "playback/software_board/stereo_downmix.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {
namespace {

struct Weights {
  double left = 0.0;
  double right = 0.0;
};

Weights WeightsOf(AVChannel channel) {
  constexpr double side = kSideChannelLevel;
  switch (channel) {
    case AV_CHAN_FRONT_LEFT:
    case AV_CHAN_STEREO_LEFT:
      return {1.0, 0.0};
    case AV_CHAN_FRONT_RIGHT:
    case AV_CHAN_STEREO_RIGHT:
      return {0.0, 1.0};
    case AV_CHAN_LOW_FREQUENCY:
    case AV_CHAN_LOW_FREQUENCY_2:
      return {0.0, 0.0};
    case AV_CHAN_FRONT_LEFT_OF_CENTER:
    case AV_CHAN_BACK_LEFT:
    case AV_CHAN_SIDE_LEFT:
    case AV_CHAN_WIDE_LEFT:
    case AV_CHAN_SURROUND_DIRECT_LEFT:
    case AV_CHAN_TOP_FRONT_LEFT:
    case AV_CHAN_TOP_BACK_LEFT:
      return {side, 0.0};
    case AV_CHAN_FRONT_RIGHT_OF_CENTER:
    case AV_CHAN_BACK_RIGHT:
    case AV_CHAN_SIDE_RIGHT:
    case AV_CHAN_WIDE_RIGHT:
    case AV_CHAN_SURROUND_DIRECT_RIGHT:
    case AV_CHAN_TOP_FRONT_RIGHT:
    case AV_CHAN_TOP_BACK_RIGHT:
      return {0.0, side};
    default:
      // The centres, and channels without a place, belong to neither side.
      return {side, side};
  }
}

}  // namespace

std::vector<double> StereoDownmixMatrix(const AVChannelLayout& layout) {
  const int count = std::max(layout.nb_channels, 0);
  std::vector<double> matrix(static_cast<std::size_t>(count) * 2, 0.0);
  if (count == 1) {
    matrix = {1.0, 1.0};
    return matrix;
  }
  double leftSum = 0.0;
  double rightSum = 0.0;
  for (int i = 0; i < count; ++i) {
    const Weights weights = WeightsOf(av_channel_layout_channel_from_index(&layout, static_cast<unsigned>(i)));
    matrix[static_cast<std::size_t>(i)] = weights.left;
    matrix[static_cast<std::size_t>(count + i)] = weights.right;
    leftSum += weights.left;
    rightSum += weights.right;
  }
  const double largest = std::max(leftSum, rightSum);
  if (largest > 1.0) {
    for (double& weight : matrix) weight /= largest;
  }
  return matrix;
}

}  // namespace vantorelle
