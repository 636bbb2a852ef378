#include "playback/software_board/super_clip.h"

#include <cmath>

#include "playback/software_board/play_movie_component.h"
#include "playback/software_board/still_image_component.h"

namespace vantorelle {
namespace {

bool NonNegative(double value) { return std::isfinite(value) && value >= 0.0; }

}  // namespace

KlpResult SuperClip::Add(IKlpPlayMovie& movie, MovieFragment fragment) {
  auto* own = dynamic_cast<PlayMovieComponent*>(&movie);
  if (!own) return KlpInvalidArgument;
  if (own->FileName().empty()) return KlpUnexpected;
  if (!NonNegative(fragment.inPointS) || !NonNegative(fragment.durationS) || fragment.durationS == 0.0) {
    return KlpInvalidArgument;
  }
  fragment.path = own->FileName();
  fragments_.push_back(std::move(fragment));
  return KlpOk;
}

KlpResult SuperClip::AddMovieFragment(IKlpPlayMovie& movie, double inPointS, double durationS) {
  MovieFragment fragment;
  fragment.inPointS = inPointS;
  fragment.durationS = durationS;
  return Add(movie, std::move(fragment));
}

KlpResult SuperClip::AddMovieFragmentWithAudio(IKlpPlayMovie& movie, double inPointS, double durationS,
                                               double level, double fadeInS, double fadeOutS, std::int32_t) {
  if (!NonNegative(level) || !NonNegative(fadeInS) || !NonNegative(fadeOutS)) return KlpInvalidArgument;
  MovieFragment fragment;
  fragment.inPointS = inPointS;
  fragment.durationS = durationS;
  fragment.withAudio = true;
  fragment.level = level;
  fragment.fadeInS = fadeInS;
  fragment.fadeOutS = fadeOutS;
  return Add(movie, std::move(fragment));
}

KlpResult SuperClip::AddStillImageFragment(IKlpPlayStillImage& image, double durationS) {
  auto* own = dynamic_cast<StillImageComponent*>(&image);
  if (!own || kind_ != kSuperClipVideo || !NonNegative(durationS) || durationS == 0.0) return KlpInvalidArgument;
  if (!own->Picture()) return KlpUnexpected;
  MovieFragment fragment;
  fragment.path = own->FileName();
  fragment.durationS = durationS;
  fragment.still = own->SharedPicture();
  fragments_.push_back(std::move(fragment));
  return KlpOk;
}

double SuperClip::DurationS() const {
  double total = 0.0;
  for (const MovieFragment& fragment : fragments_) total += fragment.durationS;
  return total;
}

}  // namespace vantorelle
