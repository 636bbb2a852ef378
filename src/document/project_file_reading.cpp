#include "document/project_file_reading.h"

#include <cerrno>
#include <new>
#include <optional>

#include "document/archive.h"
#include "document/file_archive_source.h"
#include "model/regular_file.h"

namespace vantorelle {

ProjectFileOnDisk ReadProjectFileAt(const std::string& path) {
  ProjectFileOnDisk result;
  std::optional<RegularFile> file = RegularFile::Open(path, result.reason);
  if (!file) return result;
  if (file->Size() == 0) {
    result.status = ProjectFileOnDisk::Status::Empty;
    return result;
  }
  FileArchiveSource source(*file);
  ArchiveReader in(source, static_cast<std::size_t>(file->Size()));
  try {
    result.read = ReadProjectFile(in);
  } catch (const std::bad_alloc&) {
    result.reason = SystemReason(ENOMEM);
    return result;
  }
  if (!source.Failure().empty()) {
    result.reason = source.Failure();
    return result;
  }
  result.status = ProjectFileOnDisk::Status::Read;
  if (result.read.ok && in.Remaining() > kMostBytesAfterClips) {
    result.read.ok = false;
    result.read.contents = {};
    result.read.error = {ProjectFileSection::Clips, std::to_string(in.Remaining()) + " bytes after the clips"};
  }
  return result;
}

}  // namespace vantorelle
