#include "playback/software_board/frame_scaler.h"

#include <algorithm>
#include <cstring>

#include "playback/software_board/picture_fit.h"
#include "playback/software_board/yuv_compose.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace vantorelle {
namespace {

// Copies a packed picture of width × height, bytes a pixel, turned clockwise
// by 0, 90, 180 or 270 degrees to target, whose size is the turned picture's.
void Turn(const std::uint8_t* source, std::int32_t width, std::int32_t height, std::int32_t bytes,
          std::int32_t degrees, std::uint8_t* target, std::int32_t targetStride) {
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = source + static_cast<std::size_t>(y) * width * bytes;
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
      std::memcpy(target + static_cast<std::size_t>(ty) * targetStride + static_cast<std::size_t>(tx) * bytes,
                  row + static_cast<std::size_t>(x) * bytes, bytes);
    }
  }
}

// Blackens the target outside the fitted rectangle.
void FillBars(RgbFrame& target, const FitRect& fit) {
  const std::size_t rowBytes = static_cast<std::size_t>(target.width) * 3;
  for (std::int32_t y = 0; y < target.height; ++y) {
    std::uint8_t* row = target.Pixel(0, y);
    if (y < fit.top || y >= fit.top + fit.height) {
      std::memset(row, 0, rowBytes);
      continue;
    }
    std::memset(row, 0, static_cast<std::size_t>(fit.left) * 3);
    const std::int32_t right = fit.left + fit.width;
    std::memset(row + static_cast<std::size_t>(right) * 3, 0, static_cast<std::size_t>(target.width - right) * 3);
  }
}

bool HasAlpha(const AVFrame& frame) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
  return descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
}

// Splits a packed RGBA picture placed at a rectangle of target into target's
// colours and opacity.
void SplitAlpha(const std::uint8_t* rgba, std::int32_t left, std::int32_t top, std::int32_t width,
                std::int32_t height, RgbFrame& target) {
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* source = rgba + static_cast<std::size_t>(y) * width * 4;
    std::uint8_t* colour = target.Pixel(left, top + y);
    std::uint8_t* opacity = target.alpha.data() + static_cast<std::size_t>(top + y) * target.width + left;
    for (std::int32_t x = 0; x < width; ++x) {
      colour[x * 3] = source[x * 4];
      colour[x * 3 + 1] = source[x * 4 + 1];
      colour[x * 3 + 2] = source[x * 4 + 2];
      opacity[x] = source[x * 4 + 3];
    }
  }
}

}  // namespace

bool FrameScaler::ScaleInto(const AVFrame& frame, std::int32_t width, std::int32_t height, AVPixelFormat format,
                            std::uint8_t* pixels, std::int32_t stride) {
  SwsContext* scaler = RgbScalerFor(frame, width, height, format, SWS_BICUBIC, scaler_);
  if (!scaler) return false;
  std::uint8_t* planes[4] = {pixels, nullptr, nullptr, nullptr};
  int strides[4] = {stride, 0, 0, 0};
  return sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides) > 0;
}

bool FrameScaler::Scale(const AVFrame& decoded, RgbFrame& target, const ScaleOptions& options) {
  if (decoded.width <= 0 || decoded.height <= 0 || decoded.format < 0 || target.width <= 0 ||
      target.height <= 0) {
    return false;
  }
  const AVFrame* progressive = deinterlacer_.Progressive(decoded);
  if (!progressive) return false;
  // The shape is the decoded frame's: a picture made from one field is as
  // tall when shown.
  PictureShape shape;
  shape.width = decoded.width;
  shape.height = decoded.height;
  if (options.sourcePixelAspect > 0.0) {
    shape.pixelAspect = options.sourcePixelAspect;
  } else if (decoded.sample_aspect_ratio.num > 0 && decoded.sample_aspect_ratio.den > 0) {
    shape.pixelAspect = av_q2d(decoded.sample_aspect_ratio);
  } else {
    shape.pixelAspect = AssumedPixelAspect(decoded.width, decoded.height);
  }
  shape.rotationDegrees = options.rotationDegrees;
  const FitRect fit = FitInto(shape, target.width, target.height, options.targetPixelAspect);
  const bool fills = fit.width == target.width && fit.height == target.height;
  const bool turned = options.rotationDegrees == 90 || options.rotationDegrees == 270;
  // The size the picture is scaled to, before it is turned.
  const std::int32_t width = turned ? fit.height : fit.width;
  const std::int32_t height = turned ? fit.width : fit.height;
  const AVFrame* shown = progressive;
  if (ToneMapper::Converts(*progressive)) {
    // Made at the size it is shown at, so that the work in floating point
    // is done on as few pixels as it can be. A picture the graph cannot take
    // is shown as swscale reads it.
    if (const AVFrame* sdr = toneMapper_.Sdr(*progressive, width, height)) shown = sdr;
  }
  const AVFrame& frame = *shown;
  const bool alpha = HasAlpha(frame);
  const std::int32_t stride = target.width * 3;
  if (options.rotationDegrees == 0 && !alpha) {
    if (!fills) FillBars(target, fit);
    target.alpha.clear();
    return ScaleIntoRows(frame, fit.width, fit.height, target.Pixel(fit.left, fit.top), stride);
  }
  // Scaled to the unturned size first, then turned into place and split
  // from its alpha.
  const std::int32_t bytes = alpha ? 4 : 3;
  unturned_.resize(static_cast<std::size_t>(width) * height * bytes + kConverterOverrun);
  if (!ScaleInto(frame, width, height, alpha ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB24, unturned_.data(), width * bytes)) {
    return false;
  }
  if (!fills) FillBars(target, fit);
  if (!alpha) {
    target.alpha.clear();
    Turn(unturned_.data(), width, height, 3, options.rotationDegrees, target.Pixel(fit.left, fit.top), stride);
    return true;
  }
  // Bars of a picture with alpha are transparent.
  target.alpha.assign(static_cast<std::size_t>(target.width) * target.height, 0);
  if (options.rotationDegrees != 0) {
    turnedRgba_.resize(unturned_.size());
    Turn(unturned_.data(), width, height, 4, options.rotationDegrees, turnedRgba_.data(), fit.width * 4);
    SplitAlpha(turnedRgba_.data(), fit.left, fit.top, fit.width, fit.height, target);
  } else {
    SplitAlpha(unturned_.data(), fit.left, fit.top, fit.width, fit.height, target);
  }
  return true;
}

bool FrameScaler::ScaleYuv(const AVFrame& decoded, const YuvFormat& format, std::int32_t width, std::int32_t height,
                           YuvFrame& target, const ScaleOptions& options) {
  if (decoded.width <= 0 || decoded.height <= 0 || decoded.format < 0 || width <= 0 || height <= 0) return false;
  const PictureColour colour = ColourOf(decoded);
  const bool direct = options.rotationDegrees == 0 && !HasAlpha(decoded) && !ToneMapper::Converts(decoded) &&
                      colour.format != AV_PIX_FMT_NONE && sws_isSupportedInput(colour.format);
  if (!direct) {
    // Turned, transparent or HDR: as the RGB path shows it.
    if (rgbPicture_.width != width || rgbPicture_.height != height) rgbPicture_ = RgbFrame(width, height);
    if (!Scale(decoded, rgbPicture_, options)) return false;
    RgbFrameToYuv444(rgbPicture_, format, target);
    return true;
  }
  const AVFrame* progressive = deinterlacer_.Progressive(decoded);
  if (!progressive) return false;
  PictureShape shape;
  shape.width = decoded.width;
  shape.height = decoded.height;
  if (options.sourcePixelAspect > 0.0) {
    shape.pixelAspect = options.sourcePixelAspect;
  } else if (decoded.sample_aspect_ratio.num > 0 && decoded.sample_aspect_ratio.den > 0) {
    shape.pixelAspect = av_q2d(decoded.sample_aspect_ratio);
  } else {
    shape.pixelAspect = AssumedPixelAspect(decoded.width, decoded.height);
  }
  const FitRect fit = FitInto(shape, width, height, options.targetPixelAspect);
  if (fit.width <= 0 || fit.height <= 0) return false;
  const bool fills = fit.width == width && fit.height == height;
  if (target.width != width || target.height != height || !(target.format == format)) {
    target = YuvFrame(width, height, format);
  }
  target.alpha.clear();
  const AVFrame& frame = *progressive;
  const PictureColour shownColour = ColourOf(frame);
  const YuvScaling wanted{frame.width, frame.height, shownColour, fit.width, fit.height, format};
  // swscale brings YUV of one matrix and range to another's itself.
  if (!yuvScaler_ || !(yuvScaling_ == wanted)) {
    yuvScaler_.reset(sws_getContext(frame.width, frame.height, shownColour.format, fit.width, fit.height,
                                    format.format, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!yuvScaler_) return false;
    const int* source = sws_getCoefficients(shownColour.matrix);
    const int* output = sws_getCoefficients(format.matrix);
    sws_setColorspaceDetails(yuvScaler_.get(), source, shownColour.fullRange ? 1 : 0, output, format.fullRange ? 1 : 0,
                             0, 1 << 16, 1 << 16);
    yuvScaling_ = wanted;
  }
  YuvFrame& scaled = fills ? target : yuvRows_;
  if (!fills && (yuvRows_.width != fit.width || yuvRows_.height != fit.height || !(yuvRows_.format == format))) {
    yuvRows_ = YuvFrame(fit.width, fit.height, format);
  }
  std::uint8_t* planes[4] = {scaled.Row(0, 0), scaled.Row(1, 0), scaled.Row(2, 0), nullptr};
  int strides[4] = {scaled.Stride(0), scaled.Stride(1), scaled.Stride(2), 0};
  if (sws_scale(yuvScaler_.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) <= 0) return false;
  if (!fills) {
    target.FillBlack();
    PutYuvPicture(yuvRows_, {fit.left, fit.top, fit.width, fit.height}, target);
  }
  return true;
}

bool FrameScaler::ScaleIntoRows(const AVFrame& frame, std::int32_t width, std::int32_t height, std::uint8_t* pixels,
                                std::int32_t stride) {
  if (width % kConverterBlock == 0) return ScaleInto(frame, width, height, AV_PIX_FMT_RGB24, pixels, stride);
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  rows_.resize(rowBytes * height + kConverterOverrun);
  if (!ScaleInto(frame, width, height, AV_PIX_FMT_RGB24, rows_.data(), static_cast<std::int32_t>(rowBytes))) {
    return false;
  }
  for (std::int32_t y = 0; y < height; ++y) {
    std::memcpy(pixels + static_cast<std::size_t>(y) * stride, rows_.data() + y * rowBytes, rowBytes);
  }
  return true;
}

}  // namespace vantorelle
