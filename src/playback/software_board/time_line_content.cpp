#include "playback/software_board/time_line_content.h"

#include <algorithm>
#include <cmath>

namespace vantorelle {

bool TimeLineContent::AddEmpty(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0.0) return false;
  std::lock_guard lock(mutex_);
  pieces_.push_back(ContentPiece{length_, seconds, std::nullopt});
  length_ += seconds;
  return true;
}

void TimeLineContent::AddFragments(const std::vector<MovieFragment>& fragments) {
  std::lock_guard lock(mutex_);
  for (const MovieFragment& fragment : fragments) {
    pieces_.push_back(ContentPiece{length_, fragment.durationS, fragment});
    length_ += fragment.durationS;
  }
}

void TimeLineContent::Clear() {
  std::lock_guard lock(mutex_);
  pieces_.clear();
  length_ = 0.0;
}

double TimeLineContent::LengthS() const {
  std::lock_guard lock(mutex_);
  return length_;
}

std::optional<ContentPiece> TimeLineContent::PieceAt(double seconds) const {
  std::lock_guard lock(mutex_);
  if (!(seconds >= 0.0) || seconds >= length_) return std::nullopt;
  auto after = std::upper_bound(pieces_.begin(), pieces_.end(), seconds,
                                [](double s, const ContentPiece& piece) { return s < piece.startS; });
  if (after == pieces_.begin()) return std::nullopt;
  return *std::prev(after);
}

}  // namespace vantorelle
