#include "playback/frame_image_scale.h"

#include "playback/frame_image.h"
#include "playback/software_board/picture_colour.h"
#include "playback/software_board/tone_mapper.h"

namespace vantorelle {

std::optional<std::vector<std::uint8_t>> ScaleToFrameImage(const AVFrame& frame, SwsContextPtr& scaler) {
  if (frame.width <= 0 || frame.height <= 0 || frame.format < 0) return std::nullopt;
  // The graph lives for this picture alone: only HDR and BT.2020 pictures build one.
  ToneMapper toneMapper;
  const AVFrame* picture = &frame;
  if (ToneMapper::Converts(frame)) {
    if (const AVFrame* sdr = toneMapper.Sdr(frame, kFrameImageWidth, kFrameImageHeight)) picture = sdr;
  }
  SwsContext* context =
      RgbScalerFor(*picture, kFrameImageWidth, kFrameImageHeight, AV_PIX_FMT_RGB24, SWS_AREA, scaler);
  if (!context) return std::nullopt;
  const std::int32_t rowBytes = FrameImageRowBytes(kFrameImageWidth);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rowBytes) * kFrameImageHeight, 0);
  std::uint8_t* planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
  int strides[4] = {rowBytes, 0, 0, 0};
  if (sws_scale(context, picture->data, picture->linesize, 0, picture->height, planes, strides) <= 0) {
    return std::nullopt;
  }
  return pixels;
}

}  // namespace vantorelle
