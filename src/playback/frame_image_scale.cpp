#include "playback/frame_image_scale.h"

#include "playback/frame_image.h"

namespace vantorelle {
namespace {

int MatrixOf(const AVFrame& frame) {
  switch (frame.colorspace) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_BT470BG: return SWS_CS_ITU601;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    default: return frame.height > 576 ? SWS_CS_ITU709 : SWS_CS_ITU601;
  }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ScaleToFrameImage(const AVFrame& frame, SwsContextPtr& scaler) {
  if (frame.width <= 0 || frame.height <= 0 || frame.format < 0) return std::nullopt;
  bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat source = WithoutRangeAlias(static_cast<AVPixelFormat>(frame.format), fullRange);
  scaler.reset(sws_getCachedContext(scaler.release(), frame.width, frame.height, source, kFrameImageWidth,
                                    kFrameImageHeight, AV_PIX_FMT_RGB24, SWS_AREA, nullptr, nullptr, nullptr));
  if (!scaler) return std::nullopt;
  // Setting the colour details rebuilds the scaler's tables: only when they change.
  const int* wanted = sws_getCoefficients(MatrixOf(frame));
  int* sourceTable = nullptr;
  int* targetTable = nullptr;
  int sourceRange = -1;
  int targetRange = -1;
  int brightness = 0;
  int contrast = 0;
  int saturation = 0;
  const bool known = sws_getColorspaceDetails(scaler.get(), &sourceTable, &sourceRange, &targetTable, &targetRange,
                                              &brightness, &contrast, &saturation) >= 0;
  if (!known || sourceTable == nullptr || sourceTable[0] != wanted[0] || sourceTable[1] != wanted[1] ||
      sourceTable[2] != wanted[2] || sourceTable[3] != wanted[3] || sourceRange != (fullRange ? 1 : 0) ||
      targetRange != 1) {
    sws_setColorspaceDetails(scaler.get(), wanted, fullRange ? 1 : 0, wanted, 1, 0, 1 << 16, 1 << 16);
  }
  const std::int32_t rowBytes = FrameImageRowBytes(kFrameImageWidth);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rowBytes) * kFrameImageHeight, 0);
  std::uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  int strides[4] = {rowBytes, 0, 0, 0};
  if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) <= 0) return std::nullopt;
  return pixels;
}

}  // namespace vantorelle
