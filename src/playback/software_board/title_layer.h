// A title task as the board's output sees it: something drawn over the
// picture of each output frame, and the drawing of a title image into it.
#pragma once

#include <memory>

#include "playback/klp_result.h"
#include "playback/software_board/image_file_decoder.h"
#include "playback/software_board/rgb_frame.h"
#include "playback/software_board/yuv_frame.h"

namespace vantorelle {

class IKlpPlayStillImage;

struct TitleRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const TitleRect&) const = default;
};

class TitleLayer {
 public:
  virtual ~TitleLayer() = default;
  // Whether the task shows anything now (paused or playing).
  virtual bool Active() const = 0;
  // Whether DrawAt lays anything over the frame at the board time.
  virtual bool DrawsAt(double boardTime) = 0;
  virtual void DrawAt(double boardTime, RgbFrame& frame) = 0;
  // The same over a YUV output frame.
  virtual void DrawAt(double boardTime, YuvFrame& frame) = 0;
};

using SharedTitleImage = std::shared_ptr<const RgbaPicture>;
using SharedYuvTitleImage = std::shared_ptr<const YuvFrame>;

// A title image as 4:4:4 YUV with its opacity, in the range and matrix of a
// YUV output: made once per image and format, then laid over every frame.
// cached is kept when it was made for the format already.
const YuvFrame& TitleImageAsYuv(const RgbaPicture& picture, const YuvFormat& format, SharedYuvTitleImage& cached);

// The picture of the software board's own still image: KlpInvalidArgument
// for another kind of image, KlpUnexpected for one not opened.
KlpResult TitleImageOf(IKlpPlayStillImage& image, SharedTitleImage& picture);

// Lays the picture over the frame with its top left corner at (x, y), within
// the clip rectangle only, each pixel weighted by its alpha times opacity.
void DrawTitleImage(const RgbaPicture& picture, std::int32_t x, std::int32_t y, const TitleRect& clip,
                    double opacity, RgbFrame& frame);
void DrawTitleImage(const YuvFrame& picture, std::int32_t x, std::int32_t y, const TitleRect& clip,
                    double opacity, YuvFrame& frame);

}  // namespace vantorelle
