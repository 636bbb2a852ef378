#include "playback/software_board/avi_chunks.h"

#include <algorithm>

namespace vantorelle {

AviChunkWalker::AviChunkWalker(AviByteSource& source, std::uint64_t begin, std::uint64_t end)
    : source_(source), position_(begin), end_(std::min(end, source.Size())) {}

bool AviChunkWalker::Next(AviChunk& chunk) {
  if (position_ > end_ || end_ - position_ < 8) return false;
  std::uint8_t header[12];
  if (!source_.ReadAt(position_, header, 8)) return false;
  chunk = AviChunk{};
  chunk.fourcc = ReadLe32(header);
  const std::uint64_t declared = ReadLe32(header + 4);
  chunk.headerOffset = position_;
  chunk.dataOffset = position_ + 8;
  const std::uint64_t room = end_ - chunk.dataOffset;
  chunk.truncated = declared > room;
  chunk.size = std::min(declared, room);
  if ((chunk.fourcc == AviFourCC("LIST") || chunk.fourcc == AviFourCC("RIFF")) && chunk.size >= 4 &&
      source_.ReadAt(chunk.dataOffset, header + 8, 4)) {
    chunk.listType = ReadLe32(header + 8);
  }
  // Chunk data is padded to an even length.
  const std::uint64_t padded = declared + (declared & 1);
  position_ = chunk.truncated || padded > room ? end_ : chunk.dataOffset + padded;
  return true;
}

}  // namespace vantorelle
