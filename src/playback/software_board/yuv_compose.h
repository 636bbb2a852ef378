// Composing the board's YUV output: RGB(A) pictures brought into a YUV
// format once, opaque pictures put in place, and pictures with opacity laid
// over what is below, chroma at the target's subsampling (each chroma sample
// takes the opacity-weighted mean of the pixels it covers).
#pragma once

#include <cstdint>

#include "playback/software_board/rgb_frame.h"
#include "playback/software_board/yuv_frame.h"

namespace vantorelle {

struct ComposeRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Full-range RGB pixels (rows of width × bytesPerPixel, 3 or 4; with 4 the
// fourth byte is the opacity) as 4:4:4 YUV in the range and matrix of
// format, the opacity kept. target is made anew.
void RgbToYuv444(const std::uint8_t* rgb, std::int32_t width, std::int32_t height, int bytesPerPixel,
                 const YuvFormat& format, YuvFrame& target);
// An RGB picture of the board, with its opacity where it has one.
void RgbFrameToYuv444(const RgbFrame& picture, const YuvFormat& format, YuvFrame& target);

// An opaque picture of the target's subsampling put with its top left corner
// at (left, top), cut to the target and to at most width × height.
void PutYuvPicture(const YuvFrame& picture, const ComposeRect& window, YuvFrame& target);

// A 4:4:4 picture laid with its top left corner at (x, y) over the target,
// within clip only, each pixel weighted by its opacity (opaque without one)
// times weight / 256 (0..256).
void LayYuvPicture(const YuvFrame& picture, std::int32_t x, std::int32_t y, const ComposeRect& clip, int weight,
                   YuvFrame& target);

}  // namespace vantorelle
