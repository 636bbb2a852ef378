#include "playback/software_board/ycrcb_image_component.h"

#include <cstring>

namespace vantorelle {

YCrCbImageComponent::YCrCbImageComponent() : picture_(av_frame_alloc()) {}

KlpResult YCrCbImageComponent::QueryYCrCbImageRGB(IKlpYCrCbImageRGB*& rgb) {
  rgb = this;
  return KlpOk;
}

KlpResult YCrCbImageComponent::GetRGBData(std::uint8_t* buffer, std::size_t byteCount) {
  if (!holdsPicture_) return KlpUnexpected;
  if (!buffer) return KlpPointer;
  const std::size_t needed = static_cast<std::size_t>(picture_->width) * picture_->height * 3;
  if (byteCount < needed) return KlpInvalidArgument;
  // swscale's fast converters may write up to 16 pixels past a row whose
  // width is not a multiple of 16; past the last row that is the caller's memory.
  constexpr std::size_t kOverrun = 16 * 3;
  if (picture_->width % 16 == 0 || byteCount >= needed + kOverrun) {
    return ConvertFrameToRgb24(*picture_, scaler_, buffer) ? KlpOk : KlpFail;
  }
  padded_.resize(needed + kOverrun);
  if (!ConvertFrameToRgb24(*picture_, scaler_, padded_.data())) return KlpFail;
  std::memcpy(buffer, padded_.data(), needed);
  return KlpOk;
}

bool YCrCbImageComponent::TakePicture(const AVFrame& frame) {
  if (!picture_ || frame.width <= 0 || frame.height <= 0) return false;
  av_frame_unref(picture_.get());
  holdsPicture_ = av_frame_ref(picture_.get(), &frame) >= 0;
  return holdsPicture_;
}

const AVFrame* YCrCbImageComponent::Picture() const { return holdsPicture_ ? picture_.get() : nullptr; }
std::int32_t YCrCbImageComponent::Width() const { return holdsPicture_ ? picture_->width : 0; }
std::int32_t YCrCbImageComponent::Height() const { return holdsPicture_ ? picture_->height : 0; }

}  // namespace vantorelle
