// The path of the file that the frame-picture worker is reading right now: the
// one datum the user-interface thread and the worker share. A source being
// destroyed waits until the worker no longer names its file, and then has
// whatever the worker keeps open of the file closed (the release hook).
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace vantorelle {

class FileInWork {
 public:
  // Longest path the buffer keeps; longer paths are cut.
  static constexpr std::size_t kCapacity = 1022;

  void Set(const std::string& path);
  void Clear();
  std::string Current() const;
  bool Holds(const std::string& path) const;

  // Returns once the buffer no longer holds path and the release hook has
  // let go of it. Checks again at least every pollInterval even without a
  // wake-up, like the original 100 ms polling.
  void WaitWhileHolding(const std::string& path,
                        std::chrono::milliseconds pollInterval = std::chrono::milliseconds(100)) const;

  // Called by WaitWhileHolding with the path, on the waiting thread, once the
  // file is out of work: the worker closes what it keeps open of the file.
  // An empty hook removes it.
  void SetReleaseHook(std::function<void(const std::string&)> release);

 private:
  static std::string Cut(const std::string& path);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::string current_;
  std::function<void(const std::string&)> release_;
};

}  // namespace vantorelle
