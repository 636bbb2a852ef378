#include "playback/software_board/avi_legacy_index.h"

#include <algorithm>
#include <vector>

#include "playback/software_board/avi_chunks.h"

namespace vantorelle {
namespace {

constexpr std::uint64_t EntryBytes = 16;
constexpr std::size_t EntriesPerRead = 4096;
constexpr std::uint32_t KeyFrameFlag = 0x10;

struct RawEntry {
  std::uint32_t id = 0;
  std::uint32_t flags = 0;
  std::uint32_t offset = 0;  // of the chunk header
  std::uint32_t size = 0;
};

RawEntry ParseEntry(const std::uint8_t* raw) {
  return {ReadLe32(raw), ReadLe32(raw + 4), ReadLe32(raw + 8), ReadLe32(raw + 12)};
}

// A chunk header at base + offset that carries the entry's id and size.
bool ChunkAt(AviByteSource& source, std::uint64_t base, const RawEntry& entry) {
  std::uint8_t header[8];
  return source.ReadAt(base + entry.offset, header, sizeof header) && ReadLe32(header) == entry.id &&
         ReadLe32(header + 4) == entry.size;
}

// The first (or, searching backwards, the last) entry that names a stream chunk.
bool FindStreamEntry(AviByteSource& source, const AviLayout& layout, bool fromEnd, RawEntry& found) {
  const std::uint64_t total = layout.idx1Size / EntryBytes;
  // Leading non-stream entries ('rec ' lists) are few; do not read a whole
  // index of them one entry at a time.
  const std::uint64_t count = std::min<std::uint64_t>(total, 1024);
  std::uint8_t raw[EntryBytes];
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t at = fromEnd ? total - 1 - i : i;
    if (!source.ReadAt(layout.idx1Offset + at * EntryBytes, raw, sizeof raw)) return false;
    found = ParseEntry(raw);
    if (AviChunkStreamNumber(found.id) >= 0) return true;
  }
  return false;
}

// Writers disagree on what idx1 offsets count from. Chunks of one stream all
// carry the same id, so one entry can fit either base by chance: the base
// must put the first and the last stream entry on chunks of their id and
// size. Failing that, an offset before the movie list can only be relative.
std::uint64_t FindOffsetBase(AviByteSource& source, const AviLayout& layout) {
  if (layout.moviLists.empty()) return 0;
  const std::uint64_t moviBase = layout.moviLists.front().fourccOffset;
  RawEntry first;
  RawEntry last;
  if (!FindStreamEntry(source, layout, false, first)) return moviBase;
  if (!FindStreamEntry(source, layout, true, last)) last = first;
  for (const std::uint64_t base : {moviBase, std::uint64_t{0}}) {
    if (ChunkAt(source, base, first) && ChunkAt(source, base, last)) return base;
  }
  for (const std::uint64_t base : {moviBase, std::uint64_t{0}}) {
    if (ChunkAt(source, base, first)) return base;
  }
  return first.offset < moviBase ? moviBase : 0;
}

}  // namespace

void ReadAviIdx1(AviByteSource& source, AviLayout& layout, AviIndexBudget& budget) {
  if (!layout.hasIdx1) return;
  for (AviStream& stream : layout.streams) {
    if (stream.indexSource == AviIndexSource::None) stream.indexSource = AviIndexSource::Idx1;
  }
  const std::uint64_t fileSize = source.Size();
  const std::uint64_t base = FindOffsetBase(source, layout);
  std::uint64_t left = layout.idx1Size / EntryBytes;
  std::uint64_t position = layout.idx1Offset;
  std::vector<std::uint8_t> block;
  while (left > 0) {
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(left, EntriesPerRead));
    block.resize(count * EntryBytes);
    if (!source.ReadAt(position, block.data(), block.size())) return;
    for (std::size_t i = 0; i < count; ++i) {
      const RawEntry raw = ParseEntry(block.data() + i * EntryBytes);
      const int number = AviChunkStreamNumber(raw.id);
      if (number < 0 || static_cast<std::size_t>(number) >= layout.streams.size()) continue;
      if (AviIsPaletteChange(raw.id)) continue;
      AviStream& stream = layout.streams[static_cast<std::size_t>(number)];
      if (stream.indexSource != AviIndexSource::Idx1) continue;
      if (budget.TakeEntries(1) == 0) return;
      AviIndexEntry entry;
      entry.dataOffset = base + raw.offset + 8;
      entry.size = raw.size;
      entry.keyFrame = (raw.flags & KeyFrameFlag) != 0;
      entry.inFile = entry.dataOffset <= fileSize && entry.size <= fileSize - entry.dataOffset;
      stream.index.push_back(entry);
    }
    position += block.size();
    left -= count;
  }
}

}  // namespace vantorelle
