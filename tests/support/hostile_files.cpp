#include "support/hostile_files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace vantorelle::testing {

void MakeFifo(const std::string& path) {
  if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed: " + path);
}

void MakeSparseFile(const std::string& path, std::uint64_t size, const std::vector<std::uint8_t>& front) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(front.data()), static_cast<std::streamsize>(front.size()));
  }
  if (::truncate(path.c_str(), static_cast<off_t>(size)) != 0) throw std::runtime_error("truncate failed: " + path);
}

PipeWatch::PipeWatch(std::string path) : path_(std::move(path)) {
  thread_ = std::thread([this] {
    // A reader that does not block is long done by then.
    const auto start = std::chrono::steady_clock::now();
    while (!stop_ && std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    while (!stop_) {
      const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        released_ = true;
        ::close(fd);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
}

PipeWatch::~PipeWatch() {
  stop_ = true;
  thread_.join();
}

std::uint64_t PeakMemoryGrowthOf(const std::function<void()>& work) {
  int channel[2];
  if (::pipe(channel) != 0) return UINT64_MAX;
  const pid_t child = ::fork();
  if (child < 0) return UINT64_MAX;
  if (child == 0) {
    ::close(channel[0]);
    rusage before {};
    ::getrusage(RUSAGE_SELF, &before);
    work();
    rusage after {};
    ::getrusage(RUSAGE_SELF, &after);
    const std::uint64_t grown = static_cast<std::uint64_t>(after.ru_maxrss - before.ru_maxrss) * 1024;
    const ssize_t written = ::write(channel[1], &grown, sizeof grown);
    ::_exit(written == sizeof grown ? 0 : 1);
  }
  ::close(channel[1]);
  std::uint64_t grown = UINT64_MAX;
  const ssize_t got = ::read(channel[0], &grown, sizeof grown);
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (got != sizeof grown || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return UINT64_MAX;
  return grown;
}

}  // namespace vantorelle::testing
