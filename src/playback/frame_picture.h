// Pictures of source frames in the 24-bit layout the views draw: three bytes a
// pixel in the order the components deliver them, rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/src.h"
#include "model/user_interface.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

struct FramePicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;  // bytes a row
  std::vector<std::uint8_t> pixels;
};

// Row length of a 24-bit picture: ((width + 1) × 3) rounded down to a multiple of 4.
std::int32_t PaddedRowBytes(std::int32_t width);

// Largest side of a picture the editor will hold in memory.
inline constexpr std::int32_t kLargestPictureSide = 16384;

// Loads a still image source at its stored size through the title-image
// component. Failures are reported through ui when one is given, else silent.
std::optional<FramePicture> LoadStillImagePicture(IKlpComponentFactory& factory, const CSrc& source,
                                                  IUserInterface* ui);

// Repacks 4-byte pixels into a padded 24-bit picture by dropping every fourth byte.
FramePicture PackFourByteRows(const std::uint8_t* pixels, std::int32_t width, std::int32_t height);

}  // namespace vantorelle
