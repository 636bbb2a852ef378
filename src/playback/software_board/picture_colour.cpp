#include "playback/software_board/picture_colour.h"

#include "playback/ffmpeg_handles.h"

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

}  // namespace vantorelle
