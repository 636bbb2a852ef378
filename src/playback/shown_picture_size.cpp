#include "playback/shown_picture_size.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

ShownSize ShownFrameSize(std::int32_t width, std::int32_t height, double pixelAspect) {
  if (!(pixelAspect > 0.0) || !std::isfinite(pixelAspect)) pixelAspect = 1.0;
  return ShownSize{std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(width * pixelAspect))),
                   std::max<std::int32_t>(1, height)};
}

ShownSize FitShownSize(ShownSize shape, ShownSize room) {
  if (shape.width <= 0 || shape.height <= 0) return ShownSize{1, 1};
  const double scale = std::min({1.0, static_cast<double>(room.width) / shape.width,
                                 static_cast<double>(room.height) / shape.height});
  return ShownSize{std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(shape.width * scale))),
                   std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(shape.height * scale)))};
}

}  // namespace vantorelle
