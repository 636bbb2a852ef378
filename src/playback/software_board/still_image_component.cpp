#include "playback/software_board/still_image_component.h"

namespace vantorelle {

KlpResult StillImageComponent::OpenFile(const std::string& name, std::int32_t) {
  picture_.reset();
  fileName_.clear();
  transparent_ = false;
  RgbaPicture picture;
  const KlpResult result = DecodeImageFile(name, picture);
  if (KlpSucceeded(result)) {
    picture_ = std::make_shared<const RgbaPicture>(std::move(picture));
    fileName_ = name;
    for (std::size_t i = 3; i < picture_->pixels.size() && !transparent_; i += 4) {
      transparent_ = picture_->pixels[i] != 255;
    }
  }
  return result;
}

}  // namespace vantorelle
