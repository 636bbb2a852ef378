#include "model/file_facts.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#include "model/source_paths.h"

namespace vantorelle {

std::optional<FileFacts> ReadFileFacts(const std::string& path) {
  struct stat status {};
  if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  FileFacts facts;
  // Sources keep full paths: a path relative to the working folder of the
  // moment would point elsewhere once the project is opened from another.
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  facts.path = error ? path : absolute.lexically_normal().string();
  facts.name = FileNameOf(path);
  facts.length = static_cast<std::uint64_t>(status.st_size);
  facts.lastWrite = status.st_mtime;
  return facts;
}

std::string LastWriteText(const std::optional<std::time_t>& lastWrite) {
  constexpr const char* kUnknown = "99/99/99 99:99:99";
  if (!lastWrite) return kUnknown;
  std::tm fields{};
  if (!gmtime_r(&*lastWrite, &fields)) return kUnknown;
  char date[32];
  char time[32];
  if (std::strftime(date, sizeof date, "%d/%m/%Y", &fields) == 0 ||
      std::strftime(time, sizeof time, "%H:%M:%S", &fields) == 0) {
    return kUnknown;
  }
  return std::string(date) + " " + time;
}

}  // namespace vantorelle
