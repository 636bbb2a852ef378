// The software board's IKlpPlayStillImage: an image file decoded by OpenFile
// and kept as RGBA for the board's title tasks, which reach the picture
// through Picture().
#pragma once

#include <optional>

#include "playback/klp_interfaces.h"
#include "playback/software_board/image_file_decoder.h"

namespace vantorelle {

class StillImageComponent final : public IKlpPlayStillImage {
 public:
  // A failed open drops any picture opened before.
  KlpResult OpenFile(const std::string& name, std::int32_t reserved) override;

  // The decoded picture; null until OpenFile has succeeded.
  const RgbaPicture* Picture() const { return picture_ ? &*picture_ : nullptr; }

 private:
  std::optional<RgbaPicture> picture_;
};

}  // namespace vantorelle
