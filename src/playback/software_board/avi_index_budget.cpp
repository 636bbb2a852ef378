#include "playback/software_board/avi_index_budget.h"

#include <algorithm>
#include <iterator>

namespace vantorelle {

std::uint64_t AviIndexBudget::TakeEntries(std::uint64_t wanted) {
  const std::uint64_t granted = std::min(wanted, entriesLeft_);
  entriesLeft_ -= granted;
  return granted;
}

bool AviIndexBudget::ClaimRange(std::uint64_t begin, std::uint64_t end) {
  if (end <= begin) return false;
  auto next = claimed_.lower_bound(begin);
  if (next != claimed_.end() && next->first < end) return false;
  if (next != claimed_.begin() && std::prev(next)->second > begin) return false;
  claimed_.emplace(begin, end);
  return true;
}

}  // namespace vantorelle
