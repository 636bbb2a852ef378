// Replacing a file all at once: the new bytes go to a temporary file in the
// same folder, are made durable, and only then renamed over the old file.
// Whatever goes wrong, the path holds the old file or the complete new one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantorelle {

// Failures to act out, so tests can watch a save go wrong at any point.
struct AtomicWriteFaults {
  std::optional<std::size_t> failAfterBytes;  // the write stops once this many bytes are written
  bool failSync = false;
  bool failRename = false;
};

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         const AtomicWriteFaults& faults = {});

}  // namespace vantorelle
