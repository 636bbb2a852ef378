// The software board's IKlpPlayTitleImage: an image file decoded once by
// LoadFromFile and handed out as RGBA rows. The object is its own
// IKlpTitleImageRGB view. Until a load succeeds (and again after one fails)
// every call about the picture answers KlpUnexpected.
#pragma once

#include <optional>

#include "playback/klp_interfaces.h"
#include "playback/software_board/image_file_decoder.h"

namespace vantorelle {

class TitleImageComponent final : public IKlpPlayTitleImage, public IKlpTitleImageRGB {
 public:
  KlpResult GetImageInfo(std::int32_t& width, std::int32_t& height) override;
  // The types of image_file_types.h; available before anything is loaded.
  KlpResult GetImportFilter(std::string& filter) override;
  KlpResult LoadFromFile(const std::string& name, std::int32_t reserved) override;
  KlpResult QueryTitleImageRGB(IKlpTitleImageRGB*& rgb) override;

  // Width × height × 4 bytes: R, G, B, A, rows top to bottom. A smaller
  // buffer is refused and left untouched.
  KlpResult GetRGBData(std::uint8_t* buffer, std::size_t byteCount) override;

 private:
  std::optional<RgbaPicture> picture_;
};

}  // namespace vantorelle
