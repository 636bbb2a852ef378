#include "model/file_in_work.h"

namespace vantorelle {

std::string FileInWork::Cut(const std::string& path) {
  return path.size() > kCapacity ? path.substr(0, kCapacity) : path;
}

void FileInWork::Set(const std::string& path) {
  {
    std::lock_guard lock(mutex_);
    current_ = Cut(path);
  }
  changed_.notify_all();
}

void FileInWork::Clear() {
  {
    std::lock_guard lock(mutex_);
    current_.clear();
  }
  changed_.notify_all();
}

std::string FileInWork::Current() const {
  std::lock_guard lock(mutex_);
  return current_;
}

bool FileInWork::Holds(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return !current_.empty() && current_ == Cut(path);
}

void FileInWork::WaitWhileHolding(const std::string& path,
                                  std::chrono::milliseconds pollInterval) const {
  const std::string cut = Cut(path);
  std::function<void(const std::string&)> release;
  {
    std::unique_lock lock(mutex_);
    while (!current_.empty() && current_ == cut) {
      changed_.wait_for(lock, pollInterval);
    }
    release = release_;
  }
  if (release) release(path);
}

void FileInWork::SetReleaseHook(std::function<void(const std::string&)> release) {
  std::lock_guard lock(mutex_);
  release_ = std::move(release);
}

}  // namespace vantorelle
