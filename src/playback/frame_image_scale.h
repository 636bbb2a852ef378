// The thumbnail straight from a decoded frame: libswscale averages the
// frame's area into kFrameImageWidth × kFrameImageHeight RGB pixels in one
// pass, without making the full-size RGB picture first.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "playback/ffmpeg_handles.h"

namespace vantorelle {

// Rows of FrameImageRowBytes(kFrameImageWidth) bytes. The frame's range and
// colour matrix are honoured (BT.601 assumed up to 576 lines, BT.709 above,
// when the frame names none). Reuses the scaler; none when the frame cannot
// be scaled.
std::optional<std::vector<std::uint8_t>> ScaleToFrameImage(const AVFrame& frame, SwsContextPtr& scaler);

}  // namespace vantorelle
