// The thumbnail straight from a decoded frame: libswscale averages the
// frame's area into kFrameImageWidth × kFrameImageHeight RGB pixels in one
// pass, without making the full-size RGB picture first.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "playback/ffmpeg_handles.h"

namespace vantorelle {

// Rows of FrameImageRowBytes(kFrameImageWidth) bytes. The frame's colours
// are read as the board reads them (see picture_colour.h), HDR and BT.2020
// pictures brought onto SDR BT.709 first. Reuses the scaler; none when the
// frame cannot be scaled.
std::optional<std::vector<std::uint8_t>> ScaleToFrameImage(const AVFrame& frame, SwsContextPtr& scaler);

}  // namespace vantorelle
