// One output picture of the board: packed RGB, 3 bytes a pixel, rows top to
// bottom without padding; pictures of sources with transparency also carry
// their opacity, one byte a pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantorelle {

struct RgbFrame {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;  // width × height × 3, black when made
  std::vector<std::uint8_t> alpha;   // width × height (255 opaque), or empty: opaque throughout

  RgbFrame() = default;
  RgbFrame(std::int32_t w, std::int32_t h)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3, 0) {}

  std::uint8_t* Pixel(std::int32_t x, std::int32_t y) {
    return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
  }
  const std::uint8_t* Pixel(std::int32_t x, std::int32_t y) const {
    return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
  }
};

}  // namespace vantorelle
