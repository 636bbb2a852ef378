#include "playback/software_board/software_board_format.h"

namespace vantorelle {

std::optional<SoftwareBoardFormat> SoftwareBoardFormatByName(std::string_view name) {
  if (name == "pal") return SoftwareBoardFormat{720, 576, 25.0, 16.0 / 15.0};
  if (name == "pal-wide") return SoftwareBoardFormat{768, 576, 25.0};
  if (name == "ntsc") return SoftwareBoardFormat{720, 480, 29.97, 8.0 / 9.0};
  if (name == "ntsc-vga") return SoftwareBoardFormat{640, 480, 29.97};
  return std::nullopt;
}

}  // namespace vantorelle
