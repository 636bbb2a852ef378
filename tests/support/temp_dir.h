// A fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace vantorelle::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Full path of a file inside the directory (sub-folders are created).
  std::string File(const std::string& relative) const;
  // Writes bytes to a file inside the directory and returns its full path.
  std::string WriteFile(const std::string& relative, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace vantorelle::testing
