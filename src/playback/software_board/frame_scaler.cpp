#include "playback/software_board/frame_scaler.h"

namespace vantorelle {

bool FrameScaler::Scale(const AVFrame& frame, RgbFrame& target) {
  if (frame.width <= 0 || frame.height <= 0 || frame.format < 0 || target.width <= 0 || target.height <= 0) {
    return false;
  }
  bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat source = WithoutRangeAlias(static_cast<AVPixelFormat>(frame.format), fullRange);
  SwsContext* before = scaler_.get();
  scaler_.reset(sws_getCachedContext(scaler_.release(), frame.width, frame.height, source, target.width,
                                     target.height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler_) return false;
  // Colour details rebuild the scaler's tables: set them only when needed.
  if (scaler_.get() != before || sourceRange_ != (fullRange ? 1 : 0)) {
    const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
    sws_setColorspaceDetails(scaler_.get(), coefficients, fullRange ? 1 : 0, coefficients, 1, 0, 1 << 16,
                             1 << 16);
    sourceRange_ = fullRange ? 1 : 0;
  }
  std::uint8_t* planes[4] = {target.pixels.data(), nullptr, nullptr, nullptr};
  int strides[4] = {target.width * 3, 0, 0, 0};
  return sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) > 0;
}

}  // namespace vantorelle
