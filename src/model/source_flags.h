// Stream and kind bits of a source file and of a clip.
#pragma once

#include <cstdint>

namespace vantorelle {

using SourceFlagBits = std::uint32_t;

namespace SourceFlags {
inline constexpr SourceFlagBits AlphaStream = 0x1;
inline constexpr SourceFlagBits VideoStream = 0x2;
inline constexpr SourceFlagBits AudioStream = 0x4;
inline constexpr SourceFlagBits MovieFile = 0x10000;
inline constexpr SourceFlagBits LiveSource = 0x20000;
inline constexpr SourceFlagBits PictureStreams = AlphaStream | VideoStream;
inline constexpr SourceFlagBits StreamBits = AlphaStream | VideoStream | AudioStream;
}  // namespace SourceFlags

namespace ClipFlags = SourceFlags;

inline bool HasPicture(SourceFlagBits flags) { return (flags & SourceFlags::PictureStreams) != 0; }
inline bool IsMoviePicture(SourceFlagBits flags) {
  return HasPicture(flags) && (flags & SourceFlags::MovieFile) != 0;
}

}  // namespace vantorelle
