// Decodes one image file of the types in image_file_types.h into an RGBA
// picture with FFmpeg's image decoders. The title image and still image
// components both load through it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "playback/klp_result.h"

namespace vantorelle {

// Rows top to bottom without padding, 4 bytes a pixel in the order R, G, B, A.
// Pictures without alpha have A = 255 throughout.
struct RgbaPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;  // width × height × 4 bytes
};

// Limits on what a file may ask for; larger pictures are damage or an attack.
inline constexpr std::int32_t kLargestImageSide = 16384;
inline constexpr std::int64_t kLargestImagePixels = std::int64_t{1} << 26;

// KlpFileNotFound when there is no such file; KlpBadFormat for an extension no
// decoder is chosen for, and for data that is not a whole picture of the type
// its extension names; KlpReadFault when the file cannot be read. picture is
// left as it was unless the result is KlpOk.
KlpResult DecodeImageFile(const std::string& path, RgbaPicture& picture);

}  // namespace vantorelle
