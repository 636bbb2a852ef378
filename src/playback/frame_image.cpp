#include "playback/frame_image.h"

namespace vantorelle {

FrameRequest MakeFrameRequest(const CSrc& source, TimeMs time) {
  FrameRequest request;
  request.source = &source;
  request.path = source.path;
  request.flags = source.flags;
  request.imageWidth = source.frameWidth;
  request.imageHeight = source.frameHeight;
  request.time = time;
  return request;
}

}  // namespace vantorelle
