#include "playback/software_board/picture_colour.h"

#include <algorithm>

#include "playback/ffmpeg_handles.h"

extern "C" {
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
  scaler.reset(sws_getCachedContext(scaler.release(), frame.width, frame.height, colour.format, width, height,
                                    target, flags, nullptr, nullptr, nullptr));
  if (!scaler) return nullptr;
  if (!HoldsSourceColour(*scaler, colour)) ApplySourceColour(*scaler, colour);
  return scaler.get();
}

}  // namespace vantorelle
