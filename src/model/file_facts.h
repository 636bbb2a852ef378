// What the file system says about one file: whether it is there, its length
// and its last-write time in the text form sources keep.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace vantorelle {

struct FileFacts {
  std::string path;
  std::string name;
  std::uint64_t length = 0;
  std::optional<std::time_t> lastWrite;
};

// None when the path is missing or is not a regular file.
std::optional<FileFacts> ReadFileFacts(const std::string& path);

// "%d/%m/%Y %H:%M:%S" of the time without a time-zone shift, or
// "99/99/99 99:99:99" when there is no time.
std::string LastWriteText(const std::optional<std::time_t>& lastWrite);

}  // namespace vantorelle
