// Opening a file for reading only when it is what a reader can take: a
// regular file. Folders, pipes, sockets and devices are turned away at the
// open, which never blocks (a pipe without a writer would wait forever),
// and every failure carries the system's reason for the person to read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace vantorelle {

// The system's text for an error number ("Permission denied", "Is a directory").
std::string SystemReason(int error);
// A message's fixed text with the system's reason on a second line (the
// text alone when there is no reason).
std::string WithReason(const std::string& text, const std::string& reason);
// The reason given for a path that exists but is no regular file.
inline constexpr const char* kNotARegularFile = "Not a regular file";

// A regular file open for reading; closed when it goes.
class RegularFile {
 public:
  // The open file, or nullopt with the reason in `reason`.
  static std::optional<RegularFile> Open(const std::string& path, std::string& reason);

  RegularFile(RegularFile&& other) noexcept;
  RegularFile& operator=(RegularFile&& other) noexcept;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile();

  // The size the file had when it was opened.
  std::uint64_t Size() const { return size_; }
  // Reads exactly count bytes from the current position; false with the
  // reason when the system fails or the file ends first.
  bool Read(std::uint8_t* into, std::size_t count, std::string& reason);
  // Reads count bytes at offset without moving the current position.
  bool ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::string& reason);
  // Hands the open descriptor over to the caller, who closes it.
  int Release();

 private:
  RegularFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// The same file as a C stream, for readers built on one; null with the
// reason when it is no regular file or cannot be opened.
std::FILE* OpenRegularFileStream(const std::string& path, std::string& reason);

// The whole of a regular file no larger than maxBytes.
struct RegularFileBytes {
  std::optional<std::vector<std::uint8_t>> bytes;
  std::string reason;  // why there are no bytes
};
RegularFileBytes ReadRegularFile(const std::string& path, std::uint64_t maxBytes);

// Empty when path names a regular file (links followed) that can be read,
// else the reason. For readers that open paths themselves (FFmpeg would
// wait forever on a pipe); the open that follows still reports its own
// failures.
std::string RegularFileProblem(const std::string& path);

}  // namespace vantorelle
