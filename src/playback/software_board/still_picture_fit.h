// A still image as a video line shows it: fitted into the output picture
// like a movie frame (shape kept, black bars); an image with transparent
// parts keeps its alpha (and its bars are transparent).
#pragma once

#include "playback/software_board/image_file_decoder.h"
#include "playback/software_board/rgb_frame.h"

namespace vantorelle {

// target keeps its size; false when the picture cannot be scaled.
bool FitStillPicture(const RgbaPicture& still, RgbFrame& target, double targetPixelAspect);

}  // namespace vantorelle
