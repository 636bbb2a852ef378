#include "playback/software_board/software_board_format.h"

#include "playback/software_board/picture_fit.h"

namespace vantorelle {

SoftwareBoardFormat SoftwareBoardFormatOf(std::int32_t width, std::int32_t height, double framesPerSecond) {
  return SoftwareBoardFormat{width, height, framesPerSecond, AssumedPixelAspect(width, height)};
}

std::optional<SoftwareBoardFormat> SoftwareBoardFormatByName(std::string_view name) {
  if (name == "pal") return SoftwareBoardFormatOf(720, 576, 25.0);
  if (name == "pal-wide") return SoftwareBoardFormatOf(768, 576, 25.0);
  if (name == "ntsc") return SoftwareBoardFormatOf(720, 480, 29.97);
  if (name == "ntsc-vga") return SoftwareBoardFormatOf(640, 480, 29.97);
  return std::nullopt;
}

}  // namespace vantorelle
