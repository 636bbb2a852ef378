#include "playback/ffmpeg_handles.h"

namespace vantorelle {

AVPixelFormat WithoutRangeAlias(AVPixelFormat format, bool& fullRange) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: fullRange = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: fullRange = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: fullRange = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: fullRange = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: fullRange = true; return AV_PIX_FMT_YUV411P;
    default: return format;
  }
}

bool ConvertFrameToRgb24(const AVFrame& frame, SwsContextPtr& scaler, std::uint8_t* target) {
  if (frame.width <= 0 || frame.height <= 0 || frame.format < 0) return false;
  bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat source = WithoutRangeAlias(static_cast<AVPixelFormat>(frame.format), fullRange);
  scaler.reset(sws_getCachedContext(scaler.release(), frame.width, frame.height, source, frame.width,
                                    frame.height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr,
                                    nullptr));
  if (!scaler) return false;
  // Setting the colour details rebuilds the scaler's tables: only do it when
  // the source range changes.
  int* sourceTable = nullptr;
  int* targetTable = nullptr;
  int sourceRange = -1;
  int targetRange = -1;
  int brightness = 0;
  int contrast = 0;
  int saturation = 0;
  const bool known = sws_getColorspaceDetails(scaler.get(), &sourceTable, &sourceRange, &targetTable,
                                              &targetRange, &brightness, &contrast, &saturation) >= 0;
  if (!known || sourceRange != (fullRange ? 1 : 0) || targetRange != 1) {
    const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
    sws_setColorspaceDetails(scaler.get(), coefficients, fullRange ? 1 : 0, coefficients, 1, 0, 1 << 16,
                             1 << 16);
  }
  std::uint8_t* planes[4] = {target, nullptr, nullptr, nullptr};
  int strides[4] = {frame.width * 3, 0, 0, 0};
  return sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) > 0;
}

}  // namespace vantorelle
