#include "document/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

namespace vantorelle {

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         const AtomicWriteFaults& faults) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::random_device entropy;
  const fs::path temporary = folder / ("." + target.filename().string() + ".saving-" + std::to_string(entropy()));
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // The new file keeps the permissions the old one had.
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
  bool ok = true;
  std::size_t written = 0;
  const std::size_t limit = faults.failAfterBytes ? std::min(*faults.failAfterBytes, bytes.size()) : bytes.size();
  while (ok && written < limit) {
    const ssize_t n = ::write(fd, bytes.data() + written, limit - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else written += static_cast<std::size_t>(n);
  }
  if (faults.failAfterBytes) ok = false;
  ok = ok && !faults.failSync && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && !faults.failRename && ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself is only durable once the folder is.
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return true;
}

}  // namespace vantorelle
