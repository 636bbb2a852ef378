// How a decoded picture's colours are to be read: which YUV matrix and range
// it was made with. Tagged pictures say so; untagged ones are taken as
// cameras make them (high definition BT.709, standard definition BT.601,
// full-range YUV as JPEG's BT.601).
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "playback/ffmpeg_handles.h"

namespace vantorelle {

struct PictureColour {
  AVPixelFormat format = AV_PIX_FMT_NONE;  // without the JPEG range aliases
  int matrix = SWS_CS_ITU601;              // an SWS_CS_ value
  bool fullRange = false;

  friend bool operator==(const PictureColour&, const PictureColour&) = default;
};

PictureColour ColourOf(const AVFrame& frame);

// Tells a scaler that makes full-range RGB how to read the source's colours.
// Rebuilds its tables: call only when the scaler or the colour changed.
void ApplySourceColour(SwsContext& scaler, const PictureColour& colour);

// The scaler, made or kept, that turns pictures like frame into width ×
// height pixels of an RGB format, their colours read as ColourOf says.
// Setting colour details rebuilds the scaler's tables, so they are set only
// when the scaler holds others. Null when the picture cannot be scaled.
SwsContext* RgbScalerFor(const AVFrame& frame, std::int32_t width, std::int32_t height, AVPixelFormat target,
                         int flags, SwsContextPtr& scaler);

}  // namespace vantorelle
