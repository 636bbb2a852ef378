#include "playback/software_board/picture_colour.h"

#include <algorithm>

#include "playback/ffmpeg_handles.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace vantorelle {
namespace {

// High definition starts at 1280 × 720; anything smaller is standard.
bool HighDefinition(const AVFrame& frame) { return frame.width >= 1280 || frame.height >= 720; }

int MatrixOf(const AVFrame& frame, bool fullRange) {
  switch (frame.colorspace) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: return SWS_CS_ITU601;
    case AVCOL_SPC_FCC: return SWS_CS_FCC;
    case AVCOL_SPC_SMPTE240M: return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: return SWS_CS_BT2020;
    default:
      // Untagged full-range YUV comes from JPEG pictures, which are BT.601.
      if (fullRange) return SWS_CS_ITU601;
      return HighDefinition(frame) ? SWS_CS_ITU709 : SWS_CS_ITU601;
  }
}

// swscale keeps its own range for YUV and grey sources only; it reports
// every other source (RGB, palette) as full range whatever it was told.
bool RangeIsReportedFull(AVPixelFormat format) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  if (!descriptor) return true;
  const bool yuv = (descriptor->flags & AV_PIX_FMT_FLAG_RGB) == 0 && descriptor->nb_components >= 2;
  const bool grey = (descriptor->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL)) == 0 &&
                    descriptor->nb_components <= 2 && format != AV_PIX_FMT_MONOBLACK &&
                    format != AV_PIX_FMT_MONOWHITE;
  return !yuv && !grey;
}

bool HoldsSourceColour(SwsContext& scaler, const PictureColour& colour) {
  int* sourceTable = nullptr;
  int* targetTable = nullptr;
  int sourceRange = -1;
  int targetRange = -1;
  int brightness = 0;
  int contrast = 0;
  int saturation = 0;
  if (sws_getColorspaceDetails(&scaler, &sourceTable, &sourceRange, &targetTable, &targetRange, &brightness,
                               &contrast, &saturation) < 0 ||
      !sourceTable) {
    return false;
  }
  const int* wanted = sws_getCoefficients(colour.matrix);
  const bool sameTable = std::equal(wanted, wanted + 4, sourceTable);
  const bool fullRange = colour.fullRange || RangeIsReportedFull(colour.format);
  return sameTable && sourceRange == (fullRange ? 1 : 0);
}

// The source format a scaler says it has: swscale reads formats with an
// unused fourth byte as those with alpha, and XYZ as 16-bit RGB.
AVPixelFormat AsSwscaleKeepsIt(AVPixelFormat format) {
  switch (format) {
    case AV_PIX_FMT_RGB0: return AV_PIX_FMT_RGBA;
    case AV_PIX_FMT_0RGB: return AV_PIX_FMT_ARGB;
    case AV_PIX_FMT_BGR0: return AV_PIX_FMT_BGRA;
    case AV_PIX_FMT_0BGR: return AV_PIX_FMT_ABGR;
    case AV_PIX_FMT_XYZ12LE: return AV_PIX_FMT_RGB48LE;
    case AV_PIX_FMT_XYZ12BE: return AV_PIX_FMT_RGB48BE;
    default: return format;
  }
}

// Whether a kept scaler was made for this conversion. swscale changes some
// of what it was asked once it is made (flags of its own, full chroma, for
// RGB and grey sources; the formats above), so that sws_getCachedContext
// takes such a scaler for another and makes it again for every picture, at
// the cost of milliseconds each: it is compared here as swscale keeps it.
bool MadeFor(SwsContext& scaler, const AVFrame& frame, AVPixelFormat source, std::int32_t width,
             std::int32_t height, AVPixelFormat target, int flags) {
  const char* names[7] = {"srcw", "srch", "src_format", "dstw", "dsth", "dst_format", "sws_flags"};
  const std::int64_t wanted[7] = {frame.width, frame.height, AsSwscaleKeepsIt(source), width, height, target, flags};
  const std::int64_t added = SWS_FULL_CHR_H_INP | SWS_FULL_CHR_H_INT;
  for (int i = 0; i < 7; ++i) {
    std::int64_t value = 0;
    if (av_opt_get_int(&scaler, names[i], 0, &value) < 0) return false;
    if (i == 6 ? (value & ~added) != (wanted[i] & ~added) : value != wanted[i]) return false;
  }
  return true;
}

}  // namespace

PictureColour ColourOf(const AVFrame& frame) {
  PictureColour colour;
  colour.fullRange = frame.color_range == AVCOL_RANGE_JPEG;
  colour.format = WithoutRangeAlias(static_cast<AVPixelFormat>(frame.format), colour.fullRange);
  colour.matrix = MatrixOf(frame, colour.fullRange);
  return colour;
}

void ApplySourceColour(SwsContext& scaler, const PictureColour& colour) {
  const int* source = sws_getCoefficients(colour.matrix);
  // The target is RGB: its table is unused, its range full.
  sws_setColorspaceDetails(&scaler, source, colour.fullRange ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                           1 << 16, 1 << 16);
}

SwsContext* RgbScalerFor(const AVFrame& frame, std::int32_t width, std::int32_t height, AVPixelFormat target,
                         int flags, SwsContextPtr& scaler) {
  if (frame.width <= 0 || frame.height <= 0 || frame.format < 0 || width <= 0 || height <= 0) return nullptr;
  const PictureColour colour = ColourOf(frame);
  if (colour.format == AV_PIX_FMT_NONE || !sws_isSupportedInput(colour.format)) return nullptr;
  if (!scaler || !MadeFor(*scaler, frame, colour.format, width, height, target, flags)) {
    scaler.reset(sws_getContext(frame.width, frame.height, colour.format, width, height, target, flags, nullptr,
                                nullptr, nullptr));
    if (!scaler) return nullptr;
  }
  if (!HoldsSourceColour(*scaler, colour)) ApplySourceColour(*scaler, colour);
  return scaler.get();
}

}  // namespace vantorelle
