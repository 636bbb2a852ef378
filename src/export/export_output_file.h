// Where an export writes: never over one of its own inputs, and never over
// the file already at the output until the new one is complete. The encoder
// fills a hidden temporary beside the output (named as a project save names
// its temporaries), which is made durable and renamed over the output only
// at the end. A failed or cancelled export removes it; a process killed
// outright leaves it for the next export to the same output to remove.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantorelle {

// The first of inputs that is the same file as output (same device and
// inode, links followed), if any. An output that does not exist yet is
// none of them.
std::optional<std::string> InputAtOutput(const std::string& output, const std::vector<std::string>& inputs);

class ExportOutputFile {
 public:
  // Makes the temporary; none, with the system's reason in error, when the
  // folder does not allow it or the output is a folder. Destruction before
  // Commit removes it.
  static std::unique_ptr<ExportOutputFile> Create(const std::string& output, std::string& error);
  ~ExportOutputFile();
  ExportOutputFile(const ExportOutputFile&) = delete;
  ExportOutputFile& operator=(const ExportOutputFile&) = delete;

  // The file the encoder writes.
  const std::string& TemporaryPath() const { return temporary_; }
  // Syncs the temporary and renames it over the output, then clears away
  // temporaries earlier renders to it left behind.
  bool Commit(std::string& error);

 private:
  ExportOutputFile(std::string target, std::string temporary, int fd);

  std::string target_;     // the output, or the file it links to
  std::string temporary_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace vantorelle
