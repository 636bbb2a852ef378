// Turns a decoded picture of any size into an RGB output picture of the size
// the board shows it at.
#pragma once

#include "playback/ffmpeg_handles.h"
#include "playback/software_board/rgb_frame.h"

namespace vantorelle {

class FrameScaler {
 public:
  // target keeps its size; false (and target untouched) when the picture
  // cannot be converted.
  bool Scale(const AVFrame& frame, RgbFrame& target);

 private:
  SwsContextPtr scaler_;
  int sourceRange_ = -1;
};

}  // namespace vantorelle
