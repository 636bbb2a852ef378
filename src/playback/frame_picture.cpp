#include "playback/frame_picture.h"

#include <cstring>

#include "playback/report_com_result.h"

namespace vantorelle {
namespace {

bool Check(IUserInterface* ui, KlpResult result, const char* context) {
  if (ui) return ReportComResult(*ui, result, context);
  return KlpSucceeded(result);
}

}  // namespace

std::int32_t PaddedRowBytes(std::int32_t width) { return ((width + 1) * 3) & ~3; }

FramePicture PackFourByteRows(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
  FramePicture picture;
  picture.width = width;
  picture.height = height;
  picture.stride = PaddedRowBytes(width);
  picture.pixels.assign(static_cast<std::size_t>(picture.stride) * height, 0);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* from = pixels + static_cast<std::size_t>(y) * width * 4;
    std::uint8_t* to = picture.pixels.data() + static_cast<std::size_t>(y) * picture.stride;
    for (std::int32_t x = 0; x < width; ++x, from += 4, to += 3) std::memcpy(to, from, 3);
  }
  return picture;
}

std::optional<FramePicture> LoadStillImagePicture(IKlpComponentFactory& factory, const CSrc& source,
                                                  IUserInterface* ui) {
  const std::int32_t width = source.frameWidth;
  const std::int32_t height = source.frameHeight;
  if (width <= 0 || height <= 0 || width > kLargestPictureSide || height > kLargestPictureSide) {
    return std::nullopt;
  }
  std::unique_ptr<IKlpPlayTitleImage> image;
  if (!Check(ui, factory.CreatePlayTitleImage(image), "PlayTitleImage : CoCreateInstance failed") ||
      !image) {
    return std::nullopt;
  }
  if (!Check(ui, image->LoadFromFile(source.path, 0), "PlayTitleImage : LoadFromFile failed")) {
    return std::nullopt;
  }
  IKlpTitleImageRGB* rgb = nullptr;
  std::vector<std::uint8_t> fourBytePixels(static_cast<std::size_t>(width) * height * 4, 0);
  if (!Check(ui, image->QueryTitleImageRGB(rgb), "PlayTitleImage : GetRGBData failed") || !rgb ||
      !Check(ui, rgb->GetRGBData(fourBytePixels.data(), fourBytePixels.size()),
             "PlayTitleImage : GetRGBData failed")) {
    return std::nullopt;
  }
  return PackFourByteRows(fourBytePixels.data(), width, height);
}

}  // namespace vantorelle
