// Files that are not what they claim, for the tests of every reader: pipes
// nobody writes to, huge sparse files, and a way to see how much memory a
// read really took.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vantorelle::testing {

// A named pipe at path.
void MakeFifo(const std::string& path);

// A file of size bytes (a hole after `front`, so it costs no disk).
void MakeSparseFile(const std::string& path, std::uint64_t size, const std::vector<std::uint8_t>& front = {});

// Watches a pipe while a test reads it: after a grace period it opens the
// write end, which succeeds only while someone still holds the read end,
// and so sets free a reader stuck on the pipe. A reader that never blocks
// leaves HadToRelease() false.
class PipeWatch {
 public:
  explicit PipeWatch(std::string path);
  ~PipeWatch();
  PipeWatch(const PipeWatch&) = delete;
  PipeWatch& operator=(const PipeWatch&) = delete;
  bool HadToRelease() const { return released_; }

 private:
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> released_{false};
  std::thread thread_;
};

// How far the peak memory of a child process grew while it ran work, in
// bytes; SIZE_MAX when the child did not finish normally.
std::uint64_t PeakMemoryGrowthOf(const std::function<void()>& work);

}  // namespace vantorelle::testing
