// Where a picture goes in an output frame so that its shape is kept: as
// large as fits, centred, with black bars left and right (pillarbox) or above
// and below (letterbox). Shapes are compared as shown, so pixels that are not
// square on either side count at their displayed width.
#pragma once

#include <cstdint>

namespace vantorelle {

struct FitRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

struct PictureShape {
  std::int32_t width = 0;   // stored pixels
  std::int32_t height = 0;
  double pixelAspect = 1.0;  // displayed width of one pixel over its height; 0 or less: square
  std::int32_t rotationDegrees = 0;  // clockwise turn for showing: 0, 90, 180 or 270
};

// The rectangle of a frame of frameWidth × frameHeight pixels, each
// framePixelAspect wide for 1 high, that the picture fills once turned.
FitRect FitInto(const PictureShape& picture, std::int32_t frameWidth, std::int32_t frameHeight,
                double framePixelAspect);

// The pixel shape of a frame that carries none: 720 × 576 and 720 × 480
// frames are PAL (16:15) and NTSC (8:9) pictures shown 4:3; other sizes
// have square pixels.
double AssumedPixelAspect(std::int32_t width, std::int32_t height);

// A clockwise turn of a multiple of 90 degrees as 0, 90, 180 or 270; any
// other angle is rounded to the nearest.
std::int32_t NormalizedTurn(double degrees);

}  // namespace vantorelle
