// The software board's IKlpPlayStillImage: an image file decoded by OpenFile
// and kept as RGBA for the board's title tasks, which reach the picture
// through Picture(), and for video lines that show it as a still.
#pragma once

#include <memory>
#include <string>

#include "playback/klp_interfaces.h"
#include "playback/software_board/image_file_decoder.h"

namespace vantorelle {

class StillImageComponent final : public IKlpPlayStillImage {
 public:
  // A failed open drops any picture opened before.
  KlpResult OpenFile(const std::string& name, std::int32_t reserved) override;

  // The decoded picture; null until OpenFile has succeeded.
  const RgbaPicture* Picture() const { return picture_.get(); }
  // The same, shared with the video lines that show it.
  std::shared_ptr<const RgbaPicture> SharedPicture() const { return picture_; }
  const std::string& FileName() const { return fileName_; }
  bool HasTransparency() const override { return transparent_; }

 private:
  std::shared_ptr<const RgbaPicture> picture_;
  std::string fileName_;
  bool transparent_ = false;
};

}  // namespace vantorelle
