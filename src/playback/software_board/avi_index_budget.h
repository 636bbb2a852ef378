// Bounds the work and memory an AVI index can cost. Index entries are capped
// by the bytes of the file (every real entry takes at least eight bytes of
// index), and a standard index chunk is read at most once, so super index
// entries that name the same or overlapping chunks cannot multiply the frames.
#pragma once

#include <cstdint>
#include <map>

namespace vantorelle {

class AviIndexBudget {
 public:
  explicit AviIndexBudget(std::uint64_t fileSize) : entriesLeft_(fileSize / 8 + 16) {}

  // Takes up to wanted entries; returns how many may be added.
  std::uint64_t TakeEntries(std::uint64_t wanted);
  // Claims the byte range of an index chunk; false when it overlaps one
  // already read.
  bool ClaimRange(std::uint64_t begin, std::uint64_t end);

 private:
  std::uint64_t entriesLeft_;
  std::map<std::uint64_t, std::uint64_t> claimed_;  // begin → end
};

}  // namespace vantorelle
