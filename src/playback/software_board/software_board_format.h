// The video formats the software board can run in.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

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

// pal 720×576 at 25, pal-wide 768×576 at 25, ntsc 720×480 at 29.97,
// ntsc-vga 640×480 at 29.97, all shown 4:3 (pal with pixels 16:15 wide,
// ntsc 8:9, the others square); none for an unknown name.
std::optional<SoftwareBoardFormat> SoftwareBoardFormatByName(std::string_view name);

}  // namespace vantorelle
