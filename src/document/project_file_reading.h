// Reading a project file from disk without loading it first: the file is
// opened only when it is a regular file, read a piece at a time as the
// parse asks for it, and every count is checked against the bytes the file
// still holds. A file much longer than its records is no project file.
#pragma once

#include <cstdint>
#include <string>

#include "document/project_file_format.h"

namespace vantorelle {

// Bytes a file may hold after its clips and still be read as a project: a
// recovery copy keeps the original path and a short trailer there.
inline constexpr std::uint64_t kMostBytesAfterClips = 64 * 1024;

struct ProjectFileOnDisk {
  enum class Status {
    Read,        // parsed: see read.ok
    Empty,       // a file of no bytes
    Unreadable,  // not opened or not read: see reason
  };
  Status status = Status::Unreadable;
  ProjectFileReadResult read;
  std::string reason;  // the system's reason when unreadable
};

ProjectFileOnDisk ReadProjectFileAt(const std::string& path);

}  // namespace vantorelle
