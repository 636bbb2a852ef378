// Packed RGB pictures as limited-range 8-bit YUV 4:2:0, the way H.264 files
// carry them: one pass over the picture, each chroma sample the mean of its
// 2 × 2 pixels. swscale's general path for RGB24 input takes about three
// times as long, which shows in every HD and 4K render.
#pragma once

#include <cstdint>

namespace vantorelle {

// The luma weights of a colour matrix (BT.709: 0.2126 and 0.0722).
struct YuvMatrix {
  double kr = 0.2126;
  double kb = 0.0722;
};
inline constexpr YuvMatrix kBt709Matrix{0.2126, 0.0722};
inline constexpr YuvMatrix kBt601Matrix{0.299, 0.114};

struct Yuv420Planes {
  std::uint8_t* y = nullptr;
  std::uint8_t* u = nullptr;
  std::uint8_t* v = nullptr;
  int yStride = 0;
  int uStride = 0;
  int vStride = 0;
};

// rgb: rows of width × 3 bytes (R, G, B), top to bottom. Odd sizes take
// their last column and row into the chroma sample alone.
void RgbToYuv420(const std::uint8_t* rgb, int width, int height, const YuvMatrix& matrix, const Yuv420Planes& out);

}  // namespace vantorelle
