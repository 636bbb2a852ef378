#include "playback/software_board/movie_fragment.h"

#include <algorithm>

namespace vantorelle {

double FragmentGain(const MovieFragment& fragment, double t) {
  const double duration = fragment.durationS;
  if (t < 0.0 || t > duration) return 0.0;
  double gain = fragment.level;
  const double fadeIn = std::min(fragment.fadeInS, duration);
  const double fadeOut = std::min(fragment.fadeOutS, duration);
  if (fadeIn > 0.0) gain *= std::clamp(t / fadeIn, 0.0, 1.0);
  if (fadeOut > 0.0) gain *= std::clamp((duration - t) / fadeOut, 0.0, 1.0);
  return gain;
}

}  // namespace vantorelle
