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
};

// pal 720×576 at 25, pal-wide 768×576 at 25, ntsc 720×480 at 29.97,
// ntsc-vga 640×480 at 29.97; none for an unknown name.
std::optional<SoftwareBoardFormat> SoftwareBoardFormatByName(std::string_view name);

}  // namespace vantorelle
