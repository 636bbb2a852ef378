#include "playback/rgb_to_yuv420.h"

#include <cmath>

namespace vantorelle {
namespace {

constexpr int kShift = 16;  // fixed-point fraction bits of the weights

// Full-range R, G, B weights of one component, scaled to 219 (luma) or 224
// (chroma) levels of the 255.
struct Weights {
  int r = 0;
  int g = 0;
  int b = 0;
};

int Fixed(double value) { return static_cast<int>(std::lround(value * (1 << kShift))); }

struct FixedMatrix {
  Weights y, u, v;
};

FixedMatrix FixedOf(const YuvMatrix& matrix) {
  const double kr = matrix.kr;
  const double kb = matrix.kb;
  const double kg = 1.0 - kr - kb;
  const double luma = 219.0 / 255.0;
  const double chroma = 224.0 / 255.0;
  FixedMatrix fixed;
  fixed.y = {Fixed(kr * luma), Fixed(kg * luma), Fixed(kb * luma)};
  fixed.u = {Fixed(-kr / (2.0 * (1.0 - kb)) * chroma), Fixed(-kg / (2.0 * (1.0 - kb)) * chroma), Fixed(0.5 * chroma)};
  fixed.v = {Fixed(0.5 * chroma), Fixed(-kg / (2.0 * (1.0 - kr)) * chroma), Fixed(-kb / (2.0 * (1.0 - kr)) * chroma)};
  return fixed;
}

void LumaRow(const std::uint8_t* rgb, int width, const Weights& w, std::uint8_t* out) {
  constexpr int kOffset = (16 << kShift) + (1 << (kShift - 1));
  for (int x = 0; x < width; ++x, rgb += 3) {
    out[x] = static_cast<std::uint8_t>((w.r * rgb[0] + w.g * rgb[1] + w.b * rgb[2] + kOffset) >> kShift);
  }
}

// One chroma row from two picture rows (the same row twice at an odd bottom).
void ChromaRow(const std::uint8_t* top, const std::uint8_t* bottom, int width, const FixedMatrix& m,
               std::uint8_t* u, std::uint8_t* v) {
  // Sums of four pixels: two more fraction bits.
  constexpr int kSumShift = kShift + 2;
  constexpr int kOffset = (128 << kSumShift) + (1 << (kSumShift - 1));
  const int pairs = width / 2;
  for (int x = 0; x < pairs; ++x, top += 6, bottom += 6) {
    const int r = top[0] + top[3] + bottom[0] + bottom[3];
    const int g = top[1] + top[4] + bottom[1] + bottom[4];
    const int b = top[2] + top[5] + bottom[2] + bottom[5];
    u[x] = static_cast<std::uint8_t>((m.u.r * r + m.u.g * g + m.u.b * b + kOffset) >> kSumShift);
    v[x] = static_cast<std::uint8_t>((m.v.r * r + m.v.g * g + m.v.b * b + kOffset) >> kSumShift);
  }
  if (width % 2 != 0) {
    const int r = 2 * (top[0] + bottom[0]);
    const int g = 2 * (top[1] + bottom[1]);
    const int b = 2 * (top[2] + bottom[2]);
    u[pairs] = static_cast<std::uint8_t>((m.u.r * r + m.u.g * g + m.u.b * b + kOffset) >> kSumShift);
    v[pairs] = static_cast<std::uint8_t>((m.v.r * r + m.v.g * g + m.v.b * b + kOffset) >> kSumShift);
  }
}

}  // namespace

void RgbToYuv420(const std::uint8_t* rgb, int width, int height, const YuvMatrix& matrix, const Yuv420Planes& out) {
  if (width <= 0 || height <= 0) return;
  const FixedMatrix m = FixedOf(matrix);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; y += 2) {
    const std::uint8_t* top = rgb + static_cast<std::size_t>(y) * rowBytes;
    const std::uint8_t* bottom = y + 1 < height ? top + rowBytes : top;
    LumaRow(top, width, m.y, out.y + static_cast<std::ptrdiff_t>(y) * out.yStride);
    if (y + 1 < height) LumaRow(bottom, width, m.y, out.y + static_cast<std::ptrdiff_t>(y + 1) * out.yStride);
    ChromaRow(top, bottom, width, m, out.u + static_cast<std::ptrdiff_t>(y / 2) * out.uStride,
              out.v + static_cast<std::ptrdiff_t>(y / 2) * out.vStride);
  }
}

}  // namespace vantorelle
