#include "playback/software_board/software_board_format.h"

#include "playback/software_board/picture_fit.h"

namespace vantorelle {

SoftwareBoardFormat SoftwareBoardFormatOf(std::int32_t width, std::int32_t height, double framesPerSecond) {
  return SoftwareBoardFormat{width, height, framesPerSecond, AssumedPixelAspect(width, height)};
}

SoftwareBoardFormat SoftwareBoardFormatOf(const VideoFormat& format) {
  return SoftwareBoardFormatOf(format.width, format.height, format.frameRate / 1000.0);
}

std::optional<SoftwareBoardFormat> SoftwareBoardFormatByName(std::string_view name, std::string* why) {
  const std::optional<VideoFormat> format = ParseVideoFormatName(name, why);
  if (!format) return std::nullopt;
  return SoftwareBoardFormatOf(*format);
}

}  // namespace vantorelle
