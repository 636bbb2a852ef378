#include "model/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace vantorelle {

std::string SystemReason(int error) {
  char buffer[256] = {};
  // The GNU strerror_r may hand back its own static text instead of the buffer.
  return ::strerror_r(error, buffer, sizeof buffer);
}

std::string WithReason(const std::string& text, const std::string& reason) {
  return reason.empty() ? text : text + "\n" + reason;
}

std::optional<RegularFile> RegularFile::Open(const std::string& path, std::string& reason) {
  // Non-blocking, so that opening a pipe nobody writes to returns at once.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    reason = SystemReason(errno);
    return std::nullopt;
  }
  struct stat facts {};
  if (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
    const int error = errno;
    reason = S_ISDIR(facts.st_mode) ? SystemReason(EISDIR) : facts.st_mode ? kNotARegularFile : SystemReason(error);
    ::close(fd);
    return std::nullopt;
  }
  // Reads of a regular file never wait anyway; the flag is dropped so that
  // nothing later mistakes it for a short read.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return RegularFile(fd, static_cast<std::uint64_t>(facts.st_size));
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    size_ = other.size_;
  }
  return *this;
}

int RegularFile::Release() { return std::exchange(fd_, -1); }

std::FILE* OpenRegularFileStream(const std::string& path, std::string& reason) {
  std::optional<RegularFile> file = RegularFile::Open(path, reason);
  if (!file) return nullptr;
  const int fd = file->Release();
  std::FILE* stream = ::fdopen(fd, "rb");
  if (!stream) {
    reason = SystemReason(errno);
    ::close(fd);
  }
  return stream;
}

RegularFile::~RegularFile() {
  if (fd_ >= 0) ::close(fd_);
}

namespace {

// A file that ends before the bytes it promised (cut while being read).
constexpr const char* kEndedEarly = "The file ended before its data";

template <typename ReadOnce>
bool ReadFully(std::uint8_t* into, std::size_t count, std::string& reason, ReadOnce readOnce) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = readOnce(into + done, count - done, done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      reason = SystemReason(errno);
      return false;
    }
    if (n == 0) {
      reason = kEndedEarly;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool RegularFile::Read(std::uint8_t* into, std::size_t count, std::string& reason) {
  return ReadFully(into, count, reason,
                   [&](std::uint8_t* at, std::size_t left, std::size_t) { return ::read(fd_, at, left); });
}

bool RegularFile::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t count, std::string& reason) {
  return ReadFully(into, count, reason, [&](std::uint8_t* at, std::size_t left, std::size_t done) {
    return ::pread(fd_, at, left, static_cast<off_t>(offset + done));
  });
}

RegularFileBytes ReadRegularFile(const std::string& path, std::uint64_t maxBytes) {
  RegularFileBytes result;
  std::optional<RegularFile> file = RegularFile::Open(path, result.reason);
  if (!file) return result;
  if (file->Size() > maxBytes) {
    result.reason = SystemReason(EFBIG);
    return result;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file->Size()));
  if (!file->Read(bytes.data(), bytes.size(), result.reason)) return result;
  result.bytes = std::move(bytes);
  return result;
}

std::string RegularFileProblem(const std::string& path) {
  struct stat facts {};
  if (::stat(path.c_str(), &facts) != 0) return SystemReason(errno);
  if (S_ISDIR(facts.st_mode)) return SystemReason(EISDIR);
  if (!S_ISREG(facts.st_mode)) return kNotARegularFile;
  if (::access(path.c_str(), R_OK) != 0) return SystemReason(errno);
  return {};
}

}  // namespace vantorelle
