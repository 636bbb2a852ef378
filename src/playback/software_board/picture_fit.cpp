#include "playback/software_board/picture_fit.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

FitRect FitInto(const PictureShape& picture, std::int32_t frameWidth, std::int32_t frameHeight,
                double framePixelAspect) {
  FitRect whole{0, 0, frameWidth, frameHeight};
  if (picture.width <= 0 || picture.height <= 0 || frameWidth <= 0 || frameHeight <= 0) return whole;
  const double pixelAspect = picture.pixelAspect > 0.0 && std::isfinite(picture.pixelAspect) ? picture.pixelAspect : 1.0;
  const double frameAspectOfPixel = framePixelAspect > 0.0 && std::isfinite(framePixelAspect) ? framePixelAspect : 1.0;
  const bool turned = picture.rotationDegrees == 90 || picture.rotationDegrees == 270;
  double shownWidth = picture.width * pixelAspect;
  double shownHeight = picture.height;
  if (turned) std::swap(shownWidth, shownHeight);
  const double pictureAspect = shownWidth / shownHeight;
  const double frameAspect = frameWidth * frameAspectOfPixel / frameHeight;
  FitRect fit = whole;
  // Within half a pixel of the frame's shape the picture fills it.
  if (pictureAspect > frameAspect) {
    const double rows = frameWidth * frameAspectOfPixel / pictureAspect;
    fit.height = std::clamp(static_cast<std::int32_t>(std::lround(rows)), 1, frameHeight);
    fit.top = (frameHeight - fit.height) / 2;
  } else {
    const double columns = frameHeight * pictureAspect / frameAspectOfPixel;
    fit.width = std::clamp(static_cast<std::int32_t>(std::lround(columns)), 1, frameWidth);
    fit.left = (frameWidth - fit.width) / 2;
  }
  return fit;
}

std::int32_t NormalizedTurn(double degrees) {
  if (!std::isfinite(degrees)) return 0;
  const long quarters = std::lround(degrees / 90.0);
  return static_cast<std::int32_t>(((quarters % 4) + 4) % 4) * 90;
}

double AssumedPixelAspect(std::int32_t width, std::int32_t height) {
  if (width == 720 && height == 576) return 16.0 / 15.0;
  if (width == 720 && height == 480) return 8.0 / 9.0;
  return 1.0;
}

}  // namespace vantorelle
