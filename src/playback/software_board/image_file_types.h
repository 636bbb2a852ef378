// The image file types the software board loads: one table from file
// extension to FFmpeg decoder and description. The import filter text the
// editor parses and the loader's choice of decoder both come from it, so the
// editor offers exactly the files the board can read.
#pragma once

#include <span>
#include <string>
#include <string_view>

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace vantorelle {

struct ImageFileType {
  std::string_view extension;    // lower case, without the dot
  AVCodecID codec;
  std::string_view description;  // rows of one type follow each other and share it
};

// Every loadable type, in the order the filter lists them.
std::span<const ImageFileType> ImageFileTypes();

// The type of an extension (without the dot, any case); null when none loads.
const ImageFileType* FindImageFileType(std::string_view extension);

// "All|patterns|" followed by one description|pattern pair per type, e.g.
// "Image Files(*.bmp;*.png)|*.bmp;*.png|Windows Bitmap(*.bmp)|*.bmp|...".
std::string ImageImportFilter();

}  // namespace vantorelle
