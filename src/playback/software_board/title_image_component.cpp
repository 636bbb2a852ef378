#include "playback/software_board/title_image_component.h"

#include <cstring>

#include "playback/software_board/image_file_types.h"

namespace vantorelle {

KlpResult TitleImageComponent::GetImageInfo(std::int32_t& width, std::int32_t& height) {
  if (!picture_) return KlpUnexpected;
  width = picture_->width;
  height = picture_->height;
  return KlpOk;
}

KlpResult TitleImageComponent::GetImportFilter(std::string& filter) {
  filter = ImageImportFilter();
  return KlpOk;
}

KlpResult TitleImageComponent::LoadFromFile(const std::string& name, std::int32_t) {
  picture_.reset();
  RgbaPicture picture;
  const KlpResult result = DecodeImageFile(name, picture);
  if (KlpSucceeded(result)) picture_ = std::move(picture);
  return result;
}

// The view is the object itself, so it can be handed out before a load; its
// data calls then fail like every other.
KlpResult TitleImageComponent::QueryTitleImageRGB(IKlpTitleImageRGB*& rgb) {
  rgb = this;
  return KlpOk;
}

KlpResult TitleImageComponent::GetRGBData(std::uint8_t* buffer, std::size_t byteCount) {
  if (!picture_) return KlpUnexpected;
  if (!buffer) return KlpPointer;
  if (byteCount < picture_->pixels.size()) return KlpInvalidArgument;
  std::memcpy(buffer, picture_->pixels.data(), picture_->pixels.size());
  return KlpOk;
}

}  // namespace vantorelle
