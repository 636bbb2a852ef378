// The software board's super clip: movie fragments played one after another.
// A video clip (kind 7) takes fragments with or without sound; a sound clip
// (kind 0x1000) takes the sound of its fragments.
#pragma once

#include <vector>

#include "playback/klp_interfaces.h"
#include "playback/software_board/movie_fragment.h"

namespace vantorelle {

inline constexpr std::uint32_t kSuperClipVideo = 7;
inline constexpr std::uint32_t kSuperClipAudio = 0x1000;

class SuperClip final : public IKlpSuperClip {
 public:
  explicit SuperClip(std::uint32_t kind) : kind_(kind) {}

  // The movie must be the software board's own and open; the in point must be
  // 0 or more and the duration more than 0 (KlpInvalidArgument otherwise).
  KlpResult AddMovieFragment(IKlpPlayMovie& movie, double inPointS, double durationS) override;
  // The level must be 0 or more and the fades 0 or more.
  KlpResult AddMovieFragmentWithAudio(IKlpPlayMovie& movie, double inPointS, double durationS,
                                      double level, double fadeInS, double fadeOutS,
                                      std::int32_t mode) override;
  // Video clips only; the image must be the software board's own and open,
  // the duration more than 0.
  KlpResult AddStillImageFragment(IKlpPlayStillImage& image, double durationS) override;

  std::uint32_t Kind() const { return kind_; }
  const std::vector<MovieFragment>& Fragments() const { return fragments_; }
  double DurationS() const;

 private:
  KlpResult Add(IKlpPlayMovie& movie, MovieFragment fragment);

  std::uint32_t kind_;
  std::vector<MovieFragment> fragments_;
};

}  // namespace vantorelle
