// Replacing a file all at once: the new bytes go to a temporary file in the
// same folder, are made durable, and only then renamed over the old file.
// Whatever goes wrong, the path holds the old file or the complete new one.
//
// A path that is a symbolic link is followed: the file it points to is
// replaced and the link stays. A file nobody may write to (no write
// permission, or no write bit at all) is refused rather than replaced.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantorelle {

// Failures to act out, so tests can watch a save go wrong at any point.
struct AtomicWriteFaults {
  std::optional<std::size_t> failAfterBytes;  // the write stops once this many bytes are written, as on a full disk
  bool failSync = false;
  bool failRename = false;
};

struct AtomicWriteResult {
  bool ok = false;
  bool started = false;  // the temporary was made: what failed came later, in the writing
  std::string reason;    // the system's reason when not ok
  operator bool() const { return ok; }
};

AtomicWriteResult WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                      const AtomicWriteFaults& faults = {});

// The file a write to path lands on: links followed to what they name
// (which need not exist yet). Nullopt with the reason for a link loop.
std::optional<std::string> FollowLinks(const std::string& path, std::string& reason);

}  // namespace vantorelle
