#include "playback/frame_image_shrink.h"

#include <algorithm>
#include <cmath>

#include "playback/frame_image.h"

namespace vantorelle {
namespace {

struct Span {
  std::int32_t first = 0;        // first source pixel touched
  std::vector<double> weights;   // covered fraction of each touched pixel
  double total = 0.0;
};

// The source stretch under each of count target pixels along one axis. A
// running position that reaches the source size is held just inside it, so
// the last target pixel never reads past the source.
std::vector<Span> Spans(std::int32_t sourceSize, std::int32_t count) {
  const double step = static_cast<double>(sourceSize) / count;
  const double last = sourceSize - 0.001;
  std::vector<Span> spans(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const double from = std::min(i * step, last);
    const double to = std::min((i + 1) * step, last);
    Span& span = spans[static_cast<std::size_t>(i)];
    span.first = static_cast<std::int32_t>(from);
    const auto end = static_cast<std::int32_t>(to);
    for (std::int32_t p = span.first; p <= end; ++p) {
      const double weight = std::min<double>(p + 1, to) - std::max<double>(p, from);
      span.weights.push_back(std::max(weight, 0.0));
      span.total += span.weights.back();
    }
    if (span.total <= 0.0) {  // a target pixel narrower than the hold-back: take the pixel itself
      span.weights.assign(1, 1.0);
      span.total = 1.0;
    }
  }
  return spans;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ShrinkByAreaAveraging(const std::uint8_t* pixels, std::size_t byteCount,
                                                               std::int32_t width, std::int32_t height,
                                                               std::int32_t stride, std::int32_t targetWidth,
                                                               std::int32_t targetHeight) {
  if (!pixels || width <= 0 || height <= 0 || targetWidth <= 0 || targetHeight <= 0 || stride < width * 3) {
    return std::nullopt;
  }
  if (static_cast<std::size_t>(stride) * (height - 1) + static_cast<std::size_t>(width) * 3 > byteCount) {
    return std::nullopt;
  }
  const std::vector<Span> columns = Spans(width, targetWidth);
  const std::vector<Span> rows = Spans(height, targetHeight);
  const std::int32_t targetStride = FrameImageRowBytes(targetWidth);
  std::vector<std::uint8_t> target(static_cast<std::size_t>(targetStride) * targetHeight, 0);
  std::vector<double> rowSums(static_cast<std::size_t>(width) * 3);
  for (std::int32_t ty = 0; ty < targetHeight; ++ty) {
    const Span& rowSpan = rows[static_cast<std::size_t>(ty)];
    // Weighted sum of the covered rows, then of the covered columns of it.
    std::fill(rowSums.begin(), rowSums.end(), 0.0);
    for (std::size_t r = 0; r < rowSpan.weights.size(); ++r) {
      const std::uint8_t* row = pixels + static_cast<std::size_t>(rowSpan.first + r) * stride;
      const double weight = rowSpan.weights[r];
      for (std::int32_t i = 0; i < width * 3; ++i) rowSums[static_cast<std::size_t>(i)] += weight * row[i];
    }
    std::uint8_t* out = target.data() + static_cast<std::size_t>(ty) * targetStride;
    for (std::int32_t tx = 0; tx < targetWidth; ++tx) {
      const Span& columnSpan = columns[static_cast<std::size_t>(tx)];
      double sums[3] = {0.0, 0.0, 0.0};
      for (std::size_t c = 0; c < columnSpan.weights.size(); ++c) {
        const double* pixel = &rowSums[static_cast<std::size_t>(columnSpan.first + c) * 3];
        for (int channel = 0; channel < 3; ++channel) sums[channel] += columnSpan.weights[c] * pixel[channel];
      }
      const double area = columnSpan.total * rowSpan.total;
      for (int channel = 0; channel < 3; ++channel) {
        const double value = std::round(sums[channel] / area);
        out[tx * 3 + channel] = static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
      }
    }
  }
  return target;
}

std::optional<std::vector<std::uint8_t>> ShrinkToFrameImage(const std::uint8_t* pixels, std::size_t byteCount,
                                                            std::int32_t width, std::int32_t height,
                                                            std::int32_t stride) {
  return ShrinkByAreaAveraging(pixels, byteCount, width, height, stride, kFrameImageWidth, kFrameImageHeight);
}

}  // namespace vantorelle
