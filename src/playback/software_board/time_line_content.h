// What a time line holds: empty stretches and the fragments of super clips,
// one after another from position 0. Safe to read from a decoding thread
// while the owner appends.
#pragma once

#include <mutex>
#include <optional>
#include <vector>

#include "playback/software_board/movie_fragment.h"

namespace vantorelle {

struct ContentPiece {
  double startS = 0.0;
  double lengthS = 0.0;
  std::optional<MovieFragment> fragment;  // none: an empty stretch
};

class TimeLineContent {
 public:
  // Non-positive or non-finite lengths add nothing and answer false.
  bool AddEmpty(double seconds);
  void AddFragments(const std::vector<MovieFragment>& fragments);
  void Clear();

  double LengthS() const;
  // The piece under a position, none before 0 and at or past the end.
  std::optional<ContentPiece> PieceAt(double seconds) const;

 private:
  mutable std::mutex mutex_;
  std::vector<ContentPiece> pieces_;
  double length_ = 0.0;
};

}  // namespace vantorelle
