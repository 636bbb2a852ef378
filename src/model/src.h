// A source: one media file of the project's Clip Collection (a movie file read
// through the board's movie component, or a still image). Clips refer to
// sources; the document owns them.
#pragma once

#include <cstdint>
#include <string>

#include "model/source_flags.h"
#include "model/time_base.h"

namespace vantorelle {

class FileInWork;

class CSrc {
 public:
  CSrc() = default;
  CSrc(std::string path, std::string name);
  // Waits while the frame-picture worker still reads this source's file.
  ~CSrc();
  CSrc(const CSrc&) = delete;
  CSrc& operator=(const CSrc&) = delete;

  std::string name;          // file name without folder; new clips are named by it
  std::string path;          // full path
  std::string modified;      // last-write text, e.g. "05/12/2026 08:30:00"
  std::uint32_t size = 0;    // file length in bytes
  SourceFlagBits flags = 0;
  TimeMs duration = 0.0;     // playable length; 0 for a still image
  std::int32_t usageCount = 0;
  std::int32_t icon = -1;    // index of the list view's file-type icon
  std::int32_t frameWidth = 0;
  std::int32_t frameHeight = 0;
  std::int32_t index = -1;   // scratch: position while a project file is written or read
  std::string storedPath;    // as written in the project file
  // The file could not be found when the project was opened: the source keeps
  // its stored record (written back unchanged) and its clips play as black
  // picture and silence. Never written to a project file.
  bool offline = false;

  // The worker buffer that destruction waits on; none by default.
  void GuardWith(const FileInWork* fileInWork) { fileInWork_ = fileInWork; }
  const FileInWork* Guard() const { return fileInWork_; }

 private:
  const FileInWork* fileInWork_ = nullptr;
};

// Icon indices of the Clip Collection list.
namespace SourceIcon {
inline constexpr std::int32_t Movie = 0;
inline constexpr std::int32_t Sound = 1;
inline constexpr std::int32_t Image = 2;
}  // namespace SourceIcon

std::int32_t SourceIconFor(SourceFlagBits flags);

// What decides whether a movie picture of a given size may join the project.
struct FrameSizeRule {
  bool projectHoldsMoviePicture = false;  // a VideoStream + MovieFile clip on a video track
  ProjectFrameSize projectFrameSize;

  bool Accepts(std::int32_t width, std::int32_t height) const {
    return !projectHoldsMoviePicture ||
           (width == projectFrameSize.width && height == projectFrameSize.height);
  }
};

// Texts of the Clip Collection list.
std::string SourceDurationText(const CSrc& source);
std::string SourceUsageText(const CSrc& source);
std::string SourceSizeText(std::uint32_t size);
std::string SourceTypeDescription(const std::string& name);

struct SourceDate {
  int day = 0;
  int month = 0;
  int year = 0;
};
// The date of a modified text ("dd/mm/yyyy ..."), for sorting by date.
SourceDate SourceDateParts(const std::string& modified);

}  // namespace vantorelle
