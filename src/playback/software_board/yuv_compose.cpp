#include "playback/software_board/yuv_compose.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vantorelle {
namespace {

struct LumaWeights {
  double kr;
  double kb;
};

LumaWeights WeightsOf(int matrix) {
  switch (matrix) {
    case SWS_CS_ITU709: return {0.2126, 0.0722};
    case SWS_CS_FCC: return {0.30, 0.11};
    case SWS_CS_SMPTE240M: return {0.212, 0.087};
    case SWS_CS_BT2020: return {0.2627, 0.0593};
    default: return {0.299, 0.114};
  }
}

// RGB to YUV in 16-bit fixed point: rows Y, U, V of (r, g, b, offset).
struct RgbToYuvTable {
  int m[3][4];
};

RgbToYuvTable TableOf(const YuvFormat& format) {
  const LumaWeights w = WeightsOf(format.matrix);
  const double kg = 1.0 - w.kr - w.kb;
  const double lumaScale = format.fullRange ? 1.0 : 219.0 / 255.0;
  const double chromaScale = format.fullRange ? 1.0 : 224.0 / 255.0;
  const double one = 65536.0;
  const double rows[3][3] = {
      {w.kr * lumaScale, kg * lumaScale, w.kb * lumaScale},
      {-w.kr / (2 * (1 - w.kb)) * chromaScale, -kg / (2 * (1 - w.kb)) * chromaScale, 0.5 * chromaScale},
      {0.5 * chromaScale, -kg / (2 * (1 - w.kr)) * chromaScale, -w.kb / (2 * (1 - w.kr)) * chromaScale},
  };
  const double offsets[3] = {format.fullRange ? 0.0 : 16.0, 128.0, 128.0};
  RgbToYuvTable table{};
  for (int row = 0; row < 3; ++row) {
    for (int c = 0; c < 3; ++c) table.m[row][c] = static_cast<int>(rows[row][c] * one + (rows[row][c] < 0 ? -0.5 : 0.5));
    table.m[row][3] = static_cast<int>(offsets[row] * one + one / 2);
  }
  return table;
}

std::uint8_t Clamped(int value) { return static_cast<std::uint8_t>(std::clamp(value >> 16, 0, 255)); }

// The part of the target a picture at (x, y) of width × height covers within clip.
ComposeRect Covered(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, const ComposeRect& clip,
                    const YuvFrame& target) {
  using Wide = std::int64_t;
  ComposeRect r;
  r.left = std::max({clip.left, x, 0});
  r.top = std::max({clip.top, y, 0});
  const auto right = static_cast<std::int32_t>(
      std::min({Wide{clip.left} + clip.width, Wide{x} + width, Wide{target.width}}));
  const auto bottom = static_cast<std::int32_t>(
      std::min({Wide{clip.top} + clip.height, Wide{y} + height, Wide{target.height}}));
  r.width = std::max(0, right - r.left);
  r.height = std::max(0, bottom - r.top);
  return r;
}

}  // namespace

void RgbToYuv444(const std::uint8_t* rgb, std::int32_t width, std::int32_t height, int bytesPerPixel,
                 const YuvFormat& format, YuvFrame& target) {
  YuvFormat full = format;
  full.format = AV_PIX_FMT_YUV444P;
  target = YuvFrame(width, height, full);
  const RgbToYuvTable t = TableOf(format);
  if (bytesPerPixel == 4) target.alpha.resize(static_cast<std::size_t>(width) * height);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* source = rgb + static_cast<std::size_t>(y) * width * bytesPerPixel;
    std::uint8_t* planes[3] = {target.Row(0, y), target.Row(1, y), target.Row(2, y)};
    for (std::int32_t x = 0; x < width; ++x, source += bytesPerPixel) {
      const int r = source[0];
      const int g = source[1];
      const int b = source[2];
      for (int p = 0; p < 3; ++p) planes[p][x] = Clamped(t.m[p][0] * r + t.m[p][1] * g + t.m[p][2] * b + t.m[p][3]);
    }
    if (bytesPerPixel == 4) {
      std::uint8_t* opacity = target.alpha.data() + static_cast<std::size_t>(y) * width;
      const std::uint8_t* row = rgb + static_cast<std::size_t>(y) * width * 4;
      for (std::int32_t x = 0; x < width; ++x) opacity[x] = row[x * 4 + 3];
    }
  }
}

void RgbFrameToYuv444(const RgbFrame& picture, const YuvFormat& format, YuvFrame& target) {
  RgbToYuv444(picture.pixels.data(), picture.width, picture.height, 3, format, target);
  if (!picture.alpha.empty()) target.alpha = picture.alpha;
}

void PutYuvPicture(const YuvFrame& picture, const ComposeRect& window, YuvFrame& target) {
  const ComposeRect r = Covered(window.left, window.top, std::min(window.width, picture.width),
                                std::min(window.height, picture.height), {0, 0, target.width, target.height}, target);
  if (r.width <= 0 || r.height <= 0) return;
  const std::int32_t sourceLeft = r.left - window.left;
  const std::int32_t sourceTop = r.top - window.top;
  for (std::int32_t y = 0; y < r.height; ++y) {
    std::memcpy(target.Row(0, r.top + y) + r.left, picture.Row(0, sourceTop + y) + sourceLeft,
                static_cast<std::size_t>(r.width));
  }
  const int sx = target.chromaShiftX;
  const int sy = target.chromaShiftY;
  const std::int32_t chromaLeft = r.left >> sx;
  const std::int32_t chromaTop = r.top >> sy;
  const std::int32_t chromaRight = std::min((r.left + r.width - 1) >> sx, target.ChromaWidth() - 1) + 1;
  const std::int32_t chromaBottom = std::min((r.top + r.height - 1) >> sy, target.ChromaHeight() - 1) + 1;
  const std::int32_t sourceChromaLeft = sourceLeft >> sx;
  const std::int32_t sourceChromaTop = sourceTop >> sy;
  const std::int32_t columns =
      std::min(chromaRight - chromaLeft, picture.ChromaWidth() - sourceChromaLeft);
  const std::int32_t rows = std::min(chromaBottom - chromaTop, picture.ChromaHeight() - sourceChromaTop);
  if (columns <= 0) return;
  for (int p = 1; p < 3; ++p) {
    for (std::int32_t y = 0; y < rows; ++y) {
      std::memcpy(target.Row(p, chromaTop + y) + chromaLeft, picture.Row(p, sourceChromaTop + y) + sourceChromaLeft,
                  static_cast<std::size_t>(columns));
    }
  }
}

void LayYuvPicture(const YuvFrame& picture, std::int32_t x, std::int32_t y, const ComposeRect& clip, int weight,
                   YuvFrame& target) {
  if (weight <= 0) return;
  weight = std::min(weight, 256);
  const ComposeRect r = Covered(x, y, picture.width, picture.height, clip, target);
  if (r.width <= 0 || r.height <= 0) return;
  // The opacity of every covered pixel, worked out once: luma and chroma
  // both read it, and titles are laid on every frame they show.
  std::vector<std::uint8_t> opacity(static_cast<std::size_t>(r.width) * r.height);
  const bool hasAlpha = !picture.alpha.empty();
  const auto flat = static_cast<std::uint8_t>((255 * weight + 128) >> 8);
  for (std::int32_t row = 0; row < r.height; ++row) {
    std::uint8_t* out = opacity.data() + static_cast<std::size_t>(row) * r.width;
    if (!hasAlpha) {
      std::memset(out, flat, static_cast<std::size_t>(r.width));
      continue;
    }
    const std::uint8_t* alpha =
        picture.alpha.data() + static_cast<std::size_t>(r.top + row - y) * picture.width + (r.left - x);
    for (std::int32_t i = 0; i < r.width; ++i) out[i] = static_cast<std::uint8_t>((alpha[i] * weight + 128) >> 8);
  }
  auto opacityAt = [&](std::int32_t tx, std::int32_t ty) -> int {
    return opacity[static_cast<std::size_t>(ty - r.top) * r.width + (tx - r.left)];
  };
  // Luma, pixel by pixel; an opaque pixel is the picture's (the blend gives
  // exactly that), a clear one is left alone.
  for (std::int32_t ty = r.top; ty < r.top + r.height; ++ty) {
    const std::uint8_t* source = picture.Row(0, ty - y) + (r.left - x);
    const std::uint8_t* rowOpacity = opacity.data() + static_cast<std::size_t>(ty - r.top) * r.width;
    std::uint8_t* out = target.Row(0, ty) + r.left;
    for (std::int32_t i = 0; i < r.width; ++i) {
      const int a = rowOpacity[i];
      if (a == 255) {
        out[i] = source[i];
      } else if (a != 0) {
        out[i] = static_cast<std::uint8_t>((source[i] * a + out[i] * (255 - a) + 127) / 255);
      }
    }
  }
  // Chroma, each sample by the weighted mean of the pixels it covers.
  const int sx = target.chromaShiftX;
  const int sy = target.chromaShiftY;
  const std::int32_t right = r.left + r.width;
  const std::int32_t bottom = r.top + r.height;
  // Division by 255 × the block's pixels, by a constant for the usual
  // blocks so the compiler multiplies instead.
  auto divideByWhole = [](int value, int pixels) {
    switch (pixels) {
      case 1: return value / 255;
      case 2: return value / 510;
      case 4: return value / 1020;
      default: return value / (255 * pixels);
    }
  };
  for (std::int32_t cy = r.top >> sy; cy <= (bottom - 1) >> sy; ++cy) {
    const std::int32_t blockTop = cy << sy;
    const std::int32_t blockBottom = std::min((cy + 1) << sy, target.height);
    std::uint8_t* outU = target.Row(1, cy);
    std::uint8_t* outV = target.Row(2, cy);
    for (std::int32_t cx = r.left >> sx; cx <= (right - 1) >> sx; ++cx) {
      const std::int32_t blockLeft = cx << sx;
      const std::int32_t blockRight = std::min((cx + 1) << sx, target.width);
      const int pixels = (blockRight - blockLeft) * (blockBottom - blockTop);
      int sumA = 0;
      int sumU = 0;
      int sumV = 0;
      for (std::int32_t ty = std::max(blockTop, r.top); ty < std::min(blockBottom, bottom); ++ty) {
        const std::uint8_t* u = picture.Row(1, ty - y);
        const std::uint8_t* v = picture.Row(2, ty - y);
        for (std::int32_t tx = std::max(blockLeft, r.left); tx < std::min(blockRight, right); ++tx) {
          const int a = opacityAt(tx, ty);
          sumA += a;
          sumU += a * u[tx - x];
          sumV += a * v[tx - x];
        }
      }
      if (sumA == 0) continue;
      const int whole = 255 * pixels;
      outU[cx] = static_cast<std::uint8_t>(divideByWhole(sumU + outU[cx] * (whole - sumA) + whole / 2, pixels));
      outV[cx] = static_cast<std::uint8_t>(divideByWhole(sumV + outV[cx] * (whole - sumA) + whole / 2, pixels));
    }
  }
}

}  // namespace vantorelle
