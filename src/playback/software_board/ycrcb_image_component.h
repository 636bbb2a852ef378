// The software board's decoded picture: a frame as its decoder made it (the
// board's YCrCb image), handed out as RGB on request.
#pragma once

#include <vector>

#include "playback/ffmpeg_handles.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

class YCrCbImageComponent final : public IKlpPlayYCrCbImage, public IKlpYCrCbImageRGB {
 public:
  YCrCbImageComponent();

  KlpResult QueryYCrCbImageRGB(IKlpYCrCbImageRGB*& rgb) override;
  // Width × height × 3 bytes, R, G, B, rows top to bottom without padding.
  KlpResult GetRGBData(std::uint8_t* buffer, std::size_t byteCount) override;

  // Shares the frame's buffers; false when there is no picture in it.
  bool TakePicture(const AVFrame& frame);
  // Null until a picture was taken.
  const AVFrame* Picture() const;
  std::int32_t Width() const;
  std::int32_t Height() const;

 private:
  AvFramePtr picture_;
  SwsContextPtr scaler_;
  std::vector<std::uint8_t> padded_;  // the picture with room past its end, for swscale to overrun
  bool holdsPicture_ = false;
};

}  // namespace vantorelle
