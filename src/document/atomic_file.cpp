#include "document/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "model/regular_file.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;

AtomicWriteResult Failure(int error, bool started) { return {false, started, SystemReason(error)}; }

// Why the existing file at target must not be replaced; empty when it may
// (or when there is none).
std::string ReplaceProblem(const fs::path& target) {
  struct stat existing {};
  if (::stat(target.c_str(), &existing) != 0) return errno == ENOENT ? std::string() : SystemReason(errno);
  if (S_ISDIR(existing.st_mode)) return SystemReason(EISDIR);
  if (!S_ISREG(existing.st_mode)) return kNotARegularFile;
  if (::access(target.c_str(), W_OK) != 0) return SystemReason(errno);
  // The superuser passes the test above for any file; a file without a
  // single write bit was still made read-only on purpose.
  if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return SystemReason(EACCES);
  return {};
}

}  // namespace

std::optional<std::string> FollowLinks(const std::string& path, std::string& reason) {
  fs::path current(path);
  // The system's own limit on links in a row.
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code error;
    if (!fs::is_symlink(current, error)) return current.string();
    const fs::path next = fs::read_symlink(current, error);
    if (error) {
      reason = SystemReason(error.value());
      return std::nullopt;
    }
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  reason = SystemReason(ELOOP);
  return std::nullopt;
}

AtomicWriteResult WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                      const AtomicWriteFaults& faults) {
  std::string reason;
  const std::optional<std::string> followed = FollowLinks(path, reason);
  if (!followed) return {false, false, reason};
  const fs::path target(*followed);
  reason = ReplaceProblem(target);
  if (!reason.empty()) return {false, false, reason};
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::random_device entropy;
  const fs::path temporary = folder / ("." + target.filename().string() + ".saving-" + std::to_string(entropy()));
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return Failure(errno, false);
  // The new file keeps the permissions the old one had.
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
  int error = 0;
  std::size_t written = 0;
  const std::size_t limit = faults.failAfterBytes ? std::min(*faults.failAfterBytes, bytes.size()) : bytes.size();
  while (!error && written < limit) {
    const ssize_t n = ::write(fd, bytes.data() + written, limit - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    else if (n == 0) error = EIO;
    else written += static_cast<std::size_t>(n);
  }
  if (!error && faults.failAfterBytes) error = ENOSPC;
  if (!error && (faults.failSync || ::fsync(fd) != 0)) error = faults.failSync ? EIO : errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && (faults.failRename || ::rename(temporary.c_str(), target.c_str()) != 0)) {
    error = faults.failRename ? EIO : errno;
  }
  if (error) {
    ::unlink(temporary.c_str());
    return Failure(error, true);
  }
  // The rename itself is only durable once the folder is.
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return {true, true, {}};
}

}  // namespace vantorelle
