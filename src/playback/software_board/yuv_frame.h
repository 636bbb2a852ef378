// One output picture of the board in planar 8-bit YUV, for sinks that encode
// (a file's encoder takes YUV: composing in it spares a conversion to RGB and
// back for every frame). Planes without padding between rows: luma width ×
// height, each chroma plane ChromaWidth() × ChromaHeight(); every plane has
// room past its end for converters that write whole blocks. Pictures with
// transparency carry their opacity at full size, one byte a pixel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace vantorelle {

// Which YUV a sink takes: a planar 8-bit format without the JPEG range
// aliases (yuv420p, yuv422p or yuv444p), its range and its matrix.
struct YuvFormat {
  AVPixelFormat format = AV_PIX_FMT_YUV420P;
  bool fullRange = false;
  int matrix = SWS_CS_ITU709;  // an SWS_CS_ value

  friend bool operator==(const YuvFormat&, const YuvFormat&) = default;
};

// Whether the board can compose in the format (planar 8-bit 4:2:0, 4:2:2 or 4:4:4).
bool ComposableYuv(AVPixelFormat format);

struct YuvFrame {
  // Bytes each plane may be written past its end by a converter.
  static constexpr std::size_t kPlanePadding = 64;

  std::int32_t width = 0;
  std::int32_t height = 0;
  YuvFormat format;
  int chromaShiftX = 1;  // log2 of luma columns per chroma sample
  int chromaShiftY = 1;  // log2 of luma rows per chroma sample
  std::array<std::vector<std::uint8_t>, 3> planes;
  std::vector<std::uint8_t> alpha;  // width × height (255 opaque), or empty: opaque throughout

  YuvFrame() = default;
  // Black in the format's range.
  YuvFrame(std::int32_t w, std::int32_t h, const YuvFormat& yuv);

  std::int32_t ChromaWidth() const { return (width + (1 << chromaShiftX) - 1) >> chromaShiftX; }
  std::int32_t ChromaHeight() const { return (height + (1 << chromaShiftY) - 1) >> chromaShiftY; }
  std::int32_t Stride(int plane) const { return plane == 0 ? width : ChromaWidth(); }
  std::uint8_t* Row(int plane, std::int32_t y) {
    return planes[static_cast<std::size_t>(plane)].data() + static_cast<std::size_t>(y) * Stride(plane);
  }
  const std::uint8_t* Row(int plane, std::int32_t y) const {
    return planes[static_cast<std::size_t>(plane)].data() + static_cast<std::size_t>(y) * Stride(plane);
  }
  // Black throughout, opaque.
  void FillBlack();
  // The same size and format: the planes are copied without new memory.
  void CopyFrom(const YuvFrame& other);
};

// Black in a range: luma 16 (limited) or 0 (full), chroma 128.
std::uint8_t BlackLuma(const YuvFormat& format);

}  // namespace vantorelle
