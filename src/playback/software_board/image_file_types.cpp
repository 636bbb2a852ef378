#include "playback/software_board/image_file_types.h"

#include <array>

#include "model/source_paths.h"
#include "playback/software_board/import_filter_text.h"

namespace vantorelle {
namespace {

constexpr std::array<ImageFileType, 9> kTypes{{
    {"bmp", AV_CODEC_ID_BMP, "Windows Bitmap"},
    {"jpg", AV_CODEC_ID_MJPEG, "JPEG"},
    {"jpeg", AV_CODEC_ID_MJPEG, "JPEG"},
    {"png", AV_CODEC_ID_PNG, "Portable Network Graphics"},
    {"tga", AV_CODEC_ID_TARGA, "Targa"},
    {"tif", AV_CODEC_ID_TIFF, "TIFF"},
    {"tiff", AV_CODEC_ID_TIFF, "TIFF"},
    {"webp", AV_CODEC_ID_WEBP, "WebP"},
    {"gif", AV_CODEC_ID_GIF, "GIF"},
}};

}  // namespace

std::span<const ImageFileType> ImageFileTypes() { return kTypes; }

const ImageFileType* FindImageFileType(std::string_view extension) {
  for (const ImageFileType& type : kTypes) {
    if (EqualsIgnoreCase(type.extension, extension)) return &type;
  }
  return nullptr;
}

std::string ImageImportFilter() {
  std::string filter;
  AppendFilterPart(filter, "Image Files", ExtensionPatterns(ImageFileTypes(), 0, kTypes.size()));
  for (std::size_t first = 0; first < kTypes.size();) {
    std::size_t last = first + 1;
    while (last < kTypes.size() && kTypes[last].description == kTypes[first].description) ++last;
    AppendFilterPart(filter, kTypes[first].description, ExtensionPatterns(ImageFileTypes(), first, last));
    first = last;
  }
  return filter;
}

}  // namespace vantorelle
