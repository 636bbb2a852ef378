#include "playback/software_board/avi_byte_source.h"

#include <sys/stat.h>

#include <cstring>

#include "model/regular_file.h"

namespace vantorelle {
namespace {

bool InRange(std::uint64_t offset, std::size_t count, std::uint64_t size) {
  return offset <= size && count <= size - offset;
}

}  // namespace

std::unique_ptr<AviFileSource> AviFileSource::Open(const std::string& path) {
  // Never waits on a pipe; folders and devices are refused.
  std::string reason;
  std::FILE* file = OpenRegularFileStream(path, reason);
  if (!file) return nullptr;
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
    std::fclose(file);
    return nullptr;
  }
  return std::unique_ptr<AviFileSource>(
      new AviFileSource(file, static_cast<std::uint64_t>(info.st_size)));
}

AviFileSource::~AviFileSource() { std::fclose(file_); }

bool AviFileSource::ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) {
  if (!InRange(offset, count, size_)) return false;
  if (count == 0) return true;
  if (offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
  if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  return std::fread(buffer, 1, count, file_) == count;
}

bool AviMemorySource::ReadAt(std::uint64_t offset, std::uint8_t* buffer, std::size_t count) {
  if (!InRange(offset, count, bytes_.size())) return false;
  if (count != 0) std::memcpy(buffer, bytes_.data() + offset, count);
  return true;
}

}  // namespace vantorelle
