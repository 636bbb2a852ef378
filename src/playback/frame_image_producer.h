// Makes the picture of one frame request: decodes the movie frame or loads the
// still image through the board components and shrinks it to the thumbnail
// size. Runs on the frame-image worker's thread; it reads nothing but the
// request and the factory, and keeps its failure messages in the request.
#pragma once

#include "playback/frame_image.h"
#include "playback/frame_image_components.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

// Fills request.pixels, or leaves them empty when the request is given up;
// a failing component step adds its message to request.reports. True when
// the request holds a picture. Movies are opened for this request alone.
bool ProduceFrameImage(IKlpComponentFactory& factory, FrameRequest& request);
// The same with the movies and images kept in `kept`: a movie of the
// request's file that is kept open is used as it is, one that is not is
// opened and kept. A movie that fails is closed.
bool ProduceFrameImage(IKlpComponentFactory& factory, FrameRequest& request, FrameImageComponents& kept);

// The source time asked of the movie: a request at or past the last frame
// takes the last frame.
double MovieFrameSeconds(TimeMs requestTime, double durationS, double framesPerSecond);

}  // namespace vantorelle
