// The fade handles of audio and slide title clips: 6 × 6 squares centred on
// the fade-in end and the fade-out start on the clip's level line. Drawing
// and hit testing use the same squares.
#pragma once

#include "model/pixel_rect.h"

namespace vantorelle {

inline PixelRect FadeHandleSquare(int centreX, int centreY) {
  return PixelRect{centreX - 3, centreY - 3, centreX + 3, centreY + 3};
}

}  // namespace vantorelle
