#include "playback/software_board/title_layer.h"

#include <algorithm>

#include "model/number_limits.h"
#include "playback/software_board/still_image_component.h"
#include "playback/software_board/yuv_compose.h"

namespace vantorelle {

KlpResult TitleImageOf(IKlpPlayStillImage& image, SharedTitleImage& picture) {
  auto* own = dynamic_cast<StillImageComponent*>(&image);
  if (!own) return KlpInvalidArgument;
  if (!own->Picture()) return KlpUnexpected;
  picture = std::make_shared<const RgbaPicture>(*own->Picture());
  return KlpOk;
}

void DrawTitleImage(const RgbaPicture& picture, std::int32_t x, std::int32_t y, const TitleRect& clip,
                    double opacity, RgbFrame& frame) {
  if (!(opacity > 0.0)) return;  // NaN draws nothing too
  const int weight = ClampedCast<int>(std::min(opacity, 1.0) * 256.0 + 0.5);
  const std::int32_t left = std::max({clip.left, x, 0});
  const std::int32_t top = std::max({clip.top, y, 0});
  // Edges summed in 64 bits: a region or position near the integer limit must not wrap.
  using Wide = std::int64_t;
  const auto right = static_cast<std::int32_t>(
      std::min({Wide{clip.left} + clip.width, Wide{x} + picture.width, Wide{frame.width}}));
  const auto bottom = static_cast<std::int32_t>(
      std::min({Wide{clip.top} + clip.height, Wide{y} + picture.height, Wide{frame.height}}));
  for (std::int32_t row = top; row < bottom; ++row) {
    const std::uint8_t* source =
        picture.pixels.data() + (static_cast<std::size_t>(row - y) * picture.width + (left - x)) * 4;
    std::uint8_t* target = frame.Pixel(left, row);
    for (std::int32_t column = left; column < right; ++column, source += 4, target += 3) {
      const int a = (source[3] * weight + 128) >> 8;  // 0..255
      if (a == 0) continue;
      for (int c = 0; c < 3; ++c) target[c] = static_cast<std::uint8_t>((source[c] * a + target[c] * (255 - a) + 127) / 255);
    }
  }
}

const YuvFrame& TitleImageAsYuv(const RgbaPicture& picture, const YuvFormat& format, SharedYuvTitleImage& cached) {
  // The 4:4:4 image keeps the output's range and matrix.
  if (!cached || cached->format.fullRange != format.fullRange || cached->format.matrix != format.matrix) {
    auto made = std::make_shared<YuvFrame>();
    RgbToYuv444(picture.pixels.data(), picture.width, picture.height, 4, format, *made);
    cached = std::move(made);
  }
  return *cached;
}

void DrawTitleImage(const YuvFrame& picture, std::int32_t x, std::int32_t y, const TitleRect& clip, double opacity,
                    YuvFrame& frame) {
  if (!(opacity > 0.0)) return;  // NaN draws nothing too
  const int weight = ClampedCast<int>(std::min(opacity, 1.0) * 256.0 + 0.5);
  LayYuvPicture(picture, x, y, ComposeRect{clip.left, clip.top, clip.width, clip.height}, weight, frame);
}

}  // namespace vantorelle
