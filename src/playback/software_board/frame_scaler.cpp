#include "playback/software_board/frame_scaler.h"

#include <algorithm>
#include <cstring>

#include "playback/software_board/picture_fit.h"

namespace vantorelle {
namespace {

// Copies a packed RGB picture of width × height turned clockwise by 90, 180
// or 270 degrees into target, whose size is that of the turned picture.
void Turn(const std::uint8_t* source, std::int32_t width, std::int32_t height, std::int32_t degrees,
          std::uint8_t* target, std::int32_t targetStride) {
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = source + static_cast<std::size_t>(y) * width * 3;
    for (std::int32_t x = 0; x < width; ++x) {
      std::int32_t tx = x;
      std::int32_t ty = y;
      if (degrees == 90) {
        tx = height - 1 - y;
        ty = x;
      } else if (degrees == 180) {
        tx = width - 1 - x;
        ty = height - 1 - y;
      } else if (degrees == 270) {
        tx = y;
        ty = width - 1 - x;
      }
      std::memcpy(target + static_cast<std::size_t>(ty) * targetStride + static_cast<std::size_t>(tx) * 3, row + x * 3,
                  3);
    }
  }
}

}  // namespace

bool FrameScaler::ScaleInto(const AVFrame& frame, std::int32_t width, std::int32_t height, std::uint8_t* pixels,
                            std::int32_t stride) {
  const PictureColour colour = ColourOf(frame);
  if (colour.format == AV_PIX_FMT_NONE || !sws_isSupportedInput(colour.format)) return false;
  scaler_.reset(sws_getCachedContext(scaler_.release(), frame.width, frame.height, colour.format, width, height,
                                     AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler_) {
    colourSetFor_ = nullptr;
    return false;
  }
  // Colour details rebuild the scaler's tables: set them only when needed.
  if (scaler_.get() != colourSetFor_ || !(colour == colour_)) {
    ApplySourceColour(*scaler_, colour);
    colourSetFor_ = scaler_.get();
    colour_ = colour;
  }
  std::uint8_t* planes[4] = {pixels, nullptr, nullptr, nullptr};
  int strides[4] = {stride, 0, 0, 0};
  return sws_scale(scaler_.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) > 0;
}

bool FrameScaler::Scale(const AVFrame& decoded, RgbFrame& target, const ScaleOptions& options) {
  if (decoded.width <= 0 || decoded.height <= 0 || decoded.format < 0 || target.width <= 0 ||
      target.height <= 0) {
    return false;
  }
  const AVFrame* progressive = deinterlacer_.Progressive(decoded);
  if (!progressive) return false;
  const AVFrame& frame = *progressive;
  // The shape is the decoded frame's: a picture made from one field is as
  // tall when shown.
  PictureShape shape;
  shape.width = decoded.width;
  shape.height = decoded.height;
  if (options.sourcePixelAspect > 0.0) {
    shape.pixelAspect = options.sourcePixelAspect;
  } else if (decoded.sample_aspect_ratio.num > 0 && decoded.sample_aspect_ratio.den > 0) {
    shape.pixelAspect = av_q2d(decoded.sample_aspect_ratio);
  }
  shape.rotationDegrees = options.rotationDegrees;
  const FitRect fit = FitInto(shape, target.width, target.height, options.targetPixelAspect);
  const bool fills = fit.width == target.width && fit.height == target.height;
  const std::int32_t stride = target.width * 3;
  std::uint8_t* origin = target.Pixel(fit.left, fit.top);
  const bool turned = options.rotationDegrees == 90 || options.rotationDegrees == 270;
  bool scaled = false;
  if (options.rotationDegrees == 0) {
    if (!fills) std::fill(target.pixels.begin(), target.pixels.end(), std::uint8_t{0});
    scaled = ScaleInto(frame, fit.width, fit.height, origin, stride);
  } else {
    // Scaled to the unturned size first, then turned into place.
    const std::int32_t width = turned ? fit.height : fit.width;
    const std::int32_t height = turned ? fit.width : fit.height;
    unturned_.resize(static_cast<std::size_t>(width) * height * 3);
    scaled = ScaleInto(frame, width, height, unturned_.data(), width * 3);
    if (scaled) {
      if (!fills) std::fill(target.pixels.begin(), target.pixels.end(), std::uint8_t{0});
      Turn(unturned_.data(), width, height, options.rotationDegrees, origin, stride);
    }
  }
  return scaled;
}

}  // namespace vantorelle
