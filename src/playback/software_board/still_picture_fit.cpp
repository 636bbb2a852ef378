#include "playback/software_board/still_picture_fit.h"

#include <cstddef>
#include <vector>

#include "playback/software_board/frame_scaler.h"

namespace vantorelle {

bool FitStillPicture(const RgbaPicture& still, RgbFrame& target, double targetPixelAspect) {
  const auto pixels = static_cast<std::size_t>(still.width) * still.height;
  if (still.width <= 0 || still.height <= 0 || still.pixels.size() < pixels * 4) return false;
  // Over black, each colour counts by its opacity.
  std::vector<std::uint8_t> rgb(pixels * 3);
  for (std::size_t i = 0; i < pixels; ++i) {
    const unsigned alpha = still.pixels[i * 4 + 3];
    for (std::size_t c = 0; c < 3; ++c) {
      rgb[i * 3 + c] = static_cast<std::uint8_t>((still.pixels[i * 4 + c] * alpha + 127) / 255);
    }
  }
  AvFramePtr frame(av_frame_alloc());
  if (!frame) return false;
  frame->width = still.width;
  frame->height = still.height;
  frame->format = AV_PIX_FMT_RGB24;
  frame->data[0] = rgb.data();
  frame->linesize[0] = still.width * 3;
  frame->sample_aspect_ratio = AVRational{1, 1};
  frame->color_range = AVCOL_RANGE_JPEG;
  FrameScaler scaler;
  ScaleOptions options;
  options.targetPixelAspect = targetPixelAspect;
  return scaler.Scale(*frame, target, options);
}

}  // namespace vantorelle
