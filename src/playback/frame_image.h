// The small pictures of source frames that the track area draws inside its
// clips, and the request that asks the frame-image worker for one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/source_flags.h"
#include "model/src.h"
#include "model/time_base.h"
#include "model/user_interface.h"

namespace vantorelle {

inline constexpr std::int32_t kFrameImageWidth = 64;
inline constexpr std::int32_t kFrameImageHeight = 48;

// Bytes a row of a 24-bit picture padded to a multiple of 4 bytes.
constexpr std::int32_t FrameImageRowBytes(std::int32_t width) { return (width * 3 + 3) & ~3; }

// How many pictures of a size all buckets hold together: 16 MB worth of them.
constexpr std::size_t FrameImageCacheLimit(std::int32_t width, std::int32_t height) {
  return static_cast<std::size_t>(16'000'000 / ((width * height + 8) * 3));
}
inline constexpr std::size_t kFrameImageCacheLimit = FrameImageCacheLimit(kFrameImageWidth, kFrameImageHeight);
static_assert(kFrameImageCacheLimit == 1731);

// One cached thumbnail: kFrameImageWidth × kFrameImageHeight pixels, three
// bytes a pixel in the order the components deliver them, rows padded to
// FrameImageRowBytes. Never written to a project file.
struct CFrameImage {
  std::vector<std::uint8_t> pixels;
  std::uint32_t created = 0;       // millisecond tick when it entered the cache
  const CSrc* source = nullptr;
  TimeMs time = 0.0;               // position in the source that was asked for
};

// A message a component failure asked for, kept until the user-interface
// thread can show it: the worker thread never talks to the person itself.
struct FrameImageReport {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::Warning;
  MessageButtons buttons = MessageButtons::Ok;
};

// What the worker needs to make one picture. The view fills it on the
// user-interface thread with copies of the source's facts, so the worker never
// reads the source itself; `source` is only the key the cache files it under.
struct FrameRequest {
  const CSrc* source = nullptr;
  std::string path;
  SourceFlagBits flags = 0;
  std::int32_t imageWidth = 0;   // still images: the source's stored size
  std::int32_t imageHeight = 0;
  TimeMs time = 0.0;             // ms in the source

  // Filled by the worker: the thumbnail, empty when the request was given up,
  // and the failures met on the way.
  std::vector<std::uint8_t> pixels;
  std::vector<FrameImageReport> reports;
};

// A request for the picture of source at time (ms in the source).
FrameRequest MakeFrameRequest(const CSrc& source, TimeMs time);

// The kinds of source the pictures are made and filed for.
inline bool IsMovieImageSource(SourceFlagBits flags) {
  return (flags & SourceFlags::MovieFile) && (flags & SourceFlags::PictureStreams);
}
inline bool IsStillImageSource(SourceFlagBits flags) {
  return !(flags & SourceFlags::MovieFile) && (flags & SourceFlags::VideoStream);
}

}  // namespace vantorelle
