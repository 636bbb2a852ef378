// An archive reader's bytes taken from an open regular file as the parse
// asks for them, so a file is never loaded whole before it proves plausible.
#pragma once

#include <cstdint>
#include <string>

#include "document/archive.h"
#include "model/regular_file.h"

namespace vantorelle {

class FileArchiveSource : public ArchiveByteSource {
 public:
  explicit FileArchiveSource(RegularFile& file) : file_(file) {}
  void Read(std::uint8_t* into, std::size_t count) override {
    if (!file_.Read(into, count, failure_)) throw ArchiveError(failure_);
  }
  // The system's reason a read failed (the parse then stopped); empty when none did.
  const std::string& Failure() const { return failure_; }

 private:
  RegularFile& file_;
  std::string failure_;
};

}  // namespace vantorelle
