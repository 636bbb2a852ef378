#include "playback/software_board/still_picture_fit.h"

#include <cstddef>

#include "playback/software_board/frame_scaler.h"

namespace vantorelle {

bool FitStillPicture(const RgbaPicture& still, RgbFrame& target, double targetPixelAspect) {
  const auto pixels = static_cast<std::size_t>(still.width) * still.height;
  if (still.width <= 0 || still.height <= 0 || still.pixels.size() < pixels * 4) return false;
  // An image opaque throughout is shown like a movie picture, with black
  // bars; one with transparent parts keeps its alpha for the output to lay
  // it over what lies below.
  bool transparent = false;
  for (std::size_t i = 3; i < pixels * 4 && !transparent; i += 4) transparent = still.pixels[i] != 255;
  AvFramePtr frame(av_frame_alloc());
  if (!frame) return false;
  frame->width = still.width;
  frame->height = still.height;
  frame->format = transparent ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGB0;
  // The scaler only reads the picture.
  frame->data[0] = const_cast<std::uint8_t*>(still.pixels.data());
  frame->linesize[0] = still.width * 4;
  frame->sample_aspect_ratio = AVRational{1, 1};
  frame->color_range = AVCOL_RANGE_JPEG;
  FrameScaler scaler;
  ScaleOptions options;
  options.targetPixelAspect = targetPixelAspect;
  return scaler.Scale(*frame, target, options);
}

}  // namespace vantorelle
