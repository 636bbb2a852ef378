#include "playback/software_board/avi_movi_scan.h"

#include "playback/software_board/avi_chunks.h"

namespace vantorelle {
namespace {

// 'rec ' lists group interleaved chunks; they do not nest in practice.
constexpr int MaxListDepth = 2;

void ScanRange(AviByteSource& source, std::uint64_t begin, std::uint64_t end, int depth,
               AviLayout& layout, AviIndexBudget& budget) {
  AviChunkWalker walker(source, begin, end);
  AviChunk chunk;
  while (walker.Next(chunk)) {
    if (chunk.IsList(AviFourCC("rec "))) {
      if (depth < MaxListDepth) ScanRange(source, chunk.ChildrenBegin(), chunk.End(), depth + 1, layout, budget);
      continue;
    }
    const int number = AviChunkStreamNumber(chunk.fourcc);
    if (number < 0 || static_cast<std::size_t>(number) >= layout.streams.size()) continue;
    if (chunk.truncated || AviIsPaletteChange(chunk.fourcc)) continue;
    AviStream& stream = layout.streams[static_cast<std::size_t>(number)];
    if (stream.indexSource != AviIndexSource::MoviScan) continue;
    if (budget.TakeEntries(1) == 0) return;
    AviIndexEntry entry;
    entry.dataOffset = chunk.dataOffset;
    entry.size = static_cast<std::uint32_t>(chunk.size);
    entry.keyFrame = stream.index.empty();
    entry.inFile = true;
    stream.index.push_back(entry);
  }
}

}  // namespace

void ScanAviMoviLists(AviByteSource& source, AviLayout& layout, AviIndexBudget& budget) {
  bool any = false;
  for (AviStream& stream : layout.streams) {
    if (stream.indexSource != AviIndexSource::None) continue;
    stream.indexSource = AviIndexSource::MoviScan;
    any = true;
  }
  if (!any) return;
  for (const AviMoviList& movi : layout.moviLists) {
    ScanRange(source, movi.fourccOffset + 4, movi.end, 0, layout, budget);
  }
}

}  // namespace vantorelle
