// RIFF chunk walking for the AVI reader: chunk headers read through an
// AviByteSource and clamped to the list that holds them, so a chunk that
// claims more bytes than its parent has can never lead a read outside it.
#pragma once

#include <cstdint>

#include "playback/software_board/avi_byte_source.h"

namespace vantorelle {

constexpr std::uint32_t AviFourCC(const char (&text)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])) << 24;
}

inline std::uint16_t ReadLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t ReadLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint64_t ReadLe64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(ReadLe32(p)) | static_cast<std::uint64_t>(ReadLe32(p + 4)) << 32;
}

struct AviChunk {
  std::uint32_t fourcc = 0;
  std::uint32_t listType = 0;      // for RIFF and LIST chunks with room for one
  std::uint64_t headerOffset = 0;  // where the chunk's four-character code is
  std::uint64_t dataOffset = 0;    // first byte after the 8-byte header
  std::uint64_t size = 0;          // data bytes inside the parent (never past its end)
  bool truncated = false;          // the declared size ran past the parent's end
  bool IsList(std::uint32_t type) const {
    return (fourcc == AviFourCC("LIST") || fourcc == AviFourCC("RIFF")) && listType == type;
  }
  // Where a list's children start and end.
  std::uint64_t ChildrenBegin() const { return dataOffset + (size >= 4 ? 4 : size); }
  std::uint64_t End() const { return dataOffset + size; }
};

// Steps through the chunks of [begin, end). Each step moves at least one
// header forward, so a run of zero-size chunks ends with the range.
class AviChunkWalker {
 public:
  AviChunkWalker(AviByteSource& source, std::uint64_t begin, std::uint64_t end);
  // False at the end of the range or when a header cannot be read.
  bool Next(AviChunk& chunk);

 private:
  AviByteSource& source_;
  std::uint64_t position_;
  std::uint64_t end_;
};

// The stream number of a "##xx" chunk id, or -1 when it names no stream.
inline int AviChunkStreamNumber(std::uint32_t fourcc) {
  const int tens = static_cast<int>(fourcc & 0xFF) - '0';
  const int ones = static_cast<int>((fourcc >> 8) & 0xFF) - '0';
  if (tens < 0 || tens > 9 || ones < 0 || ones > 9) return -1;
  return tens * 10 + ones;
}

// Palette changes ("##pc") share a stream's number but are not its frames.
inline bool AviIsPaletteChange(std::uint32_t fourcc) { return (fourcc >> 16) == 0x6370; }

}  // namespace vantorelle
