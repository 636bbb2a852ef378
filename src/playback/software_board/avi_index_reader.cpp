#include "playback/software_board/avi_index_reader.h"

#include "playback/software_board/avi_chunks.h"
#include "playback/software_board/avi_header_list.h"
#include "playback/software_board/avi_index_budget.h"
#include "playback/software_board/avi_legacy_index.h"
#include "playback/software_board/avi_movi_scan.h"
#include "playback/software_board/avi_opendml_index.h"

namespace vantorelle {
namespace {

void AddMoviList(const AviChunk& chunk, AviLayout& layout) {
  layout.moviLists.push_back({chunk.dataOffset, chunk.End()});
}

// The first RIFF: header list, movie list and legacy index.
bool ReadFirstRiff(AviByteSource& source, const AviChunk& riff, AviLayout& layout) {
  bool haveHeaders = false;
  AviChunkWalker walker(source, riff.ChildrenBegin(), riff.End());
  AviChunk chunk;
  while (walker.Next(chunk)) {
    if (chunk.IsList(AviFourCC("hdrl")) && !haveHeaders) {
      ReadAviHeaderList(source, chunk, layout.streams);
      haveHeaders = true;
    } else if (chunk.IsList(AviFourCC("movi"))) {
      AddMoviList(chunk, layout);
    } else if (chunk.fourcc == AviFourCC("idx1") && !layout.hasIdx1) {
      layout.hasIdx1 = true;
      layout.idx1Offset = chunk.dataOffset;
      layout.idx1Size = chunk.size;
    }
  }
  return haveHeaders;
}

// OpenDML files go on past 1 GB in 'AVIX' RIFFs that hold more movie data.
void ReadExtensionRiffs(AviByteSource& source, std::uint64_t begin, AviLayout& layout) {
  AviChunkWalker top(source, begin, source.Size());
  AviChunk riff;
  while (top.Next(riff)) {
    if (!riff.IsList(AviFourCC("AVIX"))) continue;
    AviChunkWalker walker(source, riff.ChildrenBegin(), riff.End());
    AviChunk chunk;
    while (walker.Next(chunk)) {
      if (chunk.IsList(AviFourCC("movi"))) AddMoviList(chunk, layout);
    }
  }
}

}  // namespace

KlpResult ReadAviLayout(AviByteSource& source, AviLayout& layout) {
  layout = AviLayout{};
  layout.fileSize = source.Size();
  std::uint8_t header[12];
  if (layout.fileSize < sizeof header) return KlpBadFormat;
  if (!source.ReadAt(0, header, sizeof header)) return KlpReadFault;
  if (ReadLe32(header) != AviFourCC("RIFF") || ReadLe32(header + 8) != AviFourCC("AVI ")) {
    return KlpBadFormat;
  }

  AviChunk riff;
  riff.fourcc = AviFourCC("RIFF");
  riff.listType = AviFourCC("AVI ");
  riff.dataOffset = 8;
  // A writer that stopped early leaves the size zero; a cut copy leaves it too
  // large. Both mean: up to the end of the file.
  const std::uint64_t declared = ReadLe32(header + 4);
  const std::uint64_t room = layout.fileSize - riff.dataOffset;
  riff.size = declared == 0 || declared > room ? room : declared;
  if (!ReadFirstRiff(source, riff, layout)) return KlpBadFormat;
  ReadExtensionRiffs(source, riff.End() + (riff.size & 1), layout);

  AviIndexBudget budget(layout.fileSize);
  ReadAviOpenDmlIndexes(source, layout, budget);
  ReadAviIdx1(source, layout, budget);
  ScanAviMoviLists(source, layout, budget);
  return KlpOk;
}

}  // namespace vantorelle
