#include "playback/software_board/yuv_frame.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace vantorelle {

bool ComposableYuv(AVPixelFormat format) {
  return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUV422P || format == AV_PIX_FMT_YUV444P;
}

std::uint8_t BlackLuma(const YuvFormat& format) { return format.fullRange ? 0 : 16; }

YuvFrame::YuvFrame(std::int32_t w, std::int32_t h, const YuvFormat& yuv) : width(w), height(h), format(yuv) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(yuv.format);
  chromaShiftX = descriptor ? descriptor->log2_chroma_w : 1;
  chromaShiftY = descriptor ? descriptor->log2_chroma_h : 1;
  planes[0].resize(static_cast<std::size_t>(w) * h + kPlanePadding);
  const std::size_t chroma = static_cast<std::size_t>(ChromaWidth()) * ChromaHeight() + kPlanePadding;
  planes[1].resize(chroma);
  planes[2].resize(chroma);
  FillBlack();
}

void YuvFrame::FillBlack() {
  std::fill(planes[0].begin(), planes[0].end(), BlackLuma(format));
  std::fill(planes[1].begin(), planes[1].end(), std::uint8_t{128});
  std::fill(planes[2].begin(), planes[2].end(), std::uint8_t{128});
  alpha.clear();
}

void YuvFrame::CopyFrom(const YuvFrame& other) {
  if (this == &other) return;
  width = other.width;
  height = other.height;
  format = other.format;
  chromaShiftX = other.chromaShiftX;
  chromaShiftY = other.chromaShiftY;
  for (std::size_t p = 0; p < planes.size(); ++p) planes[p].assign(other.planes[p].begin(), other.planes[p].end());
  alpha.assign(other.alpha.begin(), other.alpha.end());
}

}  // namespace vantorelle
