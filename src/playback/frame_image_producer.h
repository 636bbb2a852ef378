// Makes the picture of one frame request: decodes the movie frame or loads the
// still image through the board components and shrinks it to the thumbnail
// size. Runs on the frame-image worker's thread; it reads nothing but the
// request and the factory, and keeps its failure messages in the request.
#pragma once

#include "playback/frame_image.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

// Fills request.pixels, or leaves them empty when the request is given up;
// a failing component step adds its message to request.reports. True when
// the request holds a picture.
bool ProduceFrameImage(IKlpComponentFactory& factory, FrameRequest& request);

// The source time asked of the movie: a request at or past the last frame
// takes the last frame.
double MovieFrameSeconds(TimeMs requestTime, double durationS, double framesPerSecond);

}  // namespace vantorelle
