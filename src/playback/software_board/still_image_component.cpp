#include "playback/software_board/still_image_component.h"

namespace vantorelle {

KlpResult StillImageComponent::OpenFile(const std::string& name, std::int32_t) {
  picture_.reset();
  fileName_.clear();
  RgbaPicture picture;
  const KlpResult result = DecodeImageFile(name, picture);
  if (KlpSucceeded(result)) {
    picture_ = std::make_shared<const RgbaPicture>(std::move(picture));
    fileName_ = name;
  }
  return result;
}

}  // namespace vantorelle
