#include "export/export_output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "document/save_temporaries.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;

std::string SystemReason(int code) { return std::strerror(code); }

// A link at the output is kept: the render replaces the file it points to.
std::string ResolvedTarget(const std::string& output) {
  struct stat link {};
  if (::lstat(output.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return output;
  char resolved[PATH_MAX];
  return ::realpath(output.c_str(), resolved) ? std::string(resolved) : output;
}

}  // namespace

std::optional<std::string> InputAtOutput(const std::string& output, const std::vector<std::string>& inputs) {
  struct stat target {};
  if (::stat(output.c_str(), &target) != 0) return std::nullopt;
  for (const std::string& input : inputs) {
    struct stat candidate {};
    if (::stat(input.c_str(), &candidate) == 0 && candidate.st_dev == target.st_dev &&
        candidate.st_ino == target.st_ino) {
      return input;
    }
  }
  return std::nullopt;
}

std::unique_ptr<ExportOutputFile> ExportOutputFile::Create(const std::string& output, std::string& error) {
  const std::string target = ResolvedTarget(output);
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
    error = SystemReason(EISDIR);  // found now rather than after the whole render
    return nullptr;
  }
  const fs::path targetPath(target);
  const fs::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : fs::path(".");
  std::random_device entropy;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const fs::path temporary =
        folder / ("." + targetPath.filename().string() + ".saving-" + std::to_string(entropy()));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      error = "cannot write in " + folder.string() + ": " + SystemReason(errno);
      return nullptr;
    }
    // The new file keeps the permissions the old one had.
    if (::stat(target.c_str(), &existing) == 0) ::fchmod(fd, existing.st_mode & 07777);
    return std::unique_ptr<ExportOutputFile>(new ExportOutputFile(target, temporary.string(), fd));
  }
  error = "cannot make a temporary file in " + folder.string();
  return nullptr;
}

ExportOutputFile::ExportOutputFile(std::string target, std::string temporary, int fd)
    : target_(std::move(target)), temporary_(std::move(temporary)), fd_(fd) {}

ExportOutputFile::~ExportOutputFile() {
  if (!committed_) ::unlink(temporary_.c_str());
  if (fd_ >= 0) ::close(fd_);
}

bool ExportOutputFile::Commit(std::string& error) {
  if (::fsync(fd_) != 0) {
    error = "cannot write the file: " + SystemReason(errno);
    return false;
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    error = "cannot replace the file: " + SystemReason(errno);
    return false;
  }
  committed_ = true;
  // The rename itself is only durable once the folder is.
  const fs::path targetPath(target_);
  const fs::path folder = targetPath.has_parent_path() ? targetPath.parent_path() : fs::path(".");
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  RemoveStaleSaveTemporaries(target_);
  return true;
}

}  // namespace vantorelle
