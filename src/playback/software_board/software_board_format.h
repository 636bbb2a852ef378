// The video formats the software board can run in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/video_format.h"

namespace vantorelle {

struct SoftwareBoardFormat {
  std::int32_t width = 720;
  std::int32_t height = 576;
  double framesPerSecond = 25.0;
  // Displayed width of one pixel over its height: pictures are fitted to the
  // frame's shape as shown.
  double pixelAspect = 1.0;
};

// The format of a frame of this size and rate. 720×576 and 720×480 frames
// have the narrow pixels of PAL (16:15) and NTSC (8:9), shown 4:3; other
// sizes have square pixels.
SoftwareBoardFormat SoftwareBoardFormatOf(std::int32_t width, std::int32_t height, double framesPerSecond);
// The same for a video format; its rate in frames per second is the one the
// video standard keeps (29.97 for 29970), so the board's frames and the
// standard's frame length agree.
SoftwareBoardFormat SoftwareBoardFormatOf(const VideoFormat& format);

// Any name ParseVideoFormatName reads: pal, pal-wide, ntsc, ntsc-vga,
// WIDTHxHEIGHT@RATE or HEIGHTpRATE. None for a name it refuses; *why (when
// given) then says what is wrong with it.
std::optional<SoftwareBoardFormat> SoftwareBoardFormatByName(std::string_view name, std::string* why = nullptr);

}  // namespace vantorelle
