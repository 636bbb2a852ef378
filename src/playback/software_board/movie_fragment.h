// One piece of a super clip: a stretch of a movie file or a still image, and for sound its
// level and fades. Kept by value, so a time line does not depend on the
// super clip or the movie object it came from staying alive.
#pragma once

#include <memory>
#include <string>

#include "playback/software_board/image_file_decoder.h"

namespace vantorelle {

struct MovieFragment {
  std::string path;
  double inPointS = 0.0;
  double durationS = 0.0;
  bool withAudio = false;
  double level = 1.0;
  double fadeInS = 0.0;
  double fadeOutS = 0.0;
  // A still image instead of a movie stretch (path then names the image).
  std::shared_ptr<const RgbaPicture> still;
};

// The sound level at t seconds into the fragment: the level, raised linearly
// from 0 over the fade-in and lowered linearly to 0 over the fade-out. Fades
// longer than the fragment are cut to it.
double FragmentGain(const MovieFragment& fragment, double t);

}  // namespace vantorelle
