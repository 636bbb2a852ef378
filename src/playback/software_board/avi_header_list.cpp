#include "playback/software_board/avi_header_list.h"

#include <algorithm>

#include "playback/software_board/avi_opendml_index.h"

namespace vantorelle {
namespace {

constexpr std::size_t StreamHeaderBytes = 56;

// Short headers leave the missing fields zero.
KlpAviStreamHeader ParseStreamHeader(const std::uint8_t* raw) {
  KlpAviStreamHeader header;
  header.fccType = ReadLe32(raw);
  header.fccHandler = ReadLe32(raw + 4);
  header.flags = ReadLe32(raw + 8);
  header.priority = ReadLe16(raw + 12);
  header.language = ReadLe16(raw + 14);
  header.initialFrames = ReadLe32(raw + 16);
  header.scale = ReadLe32(raw + 20);
  header.rate = ReadLe32(raw + 24);
  header.start = ReadLe32(raw + 28);
  header.length = ReadLe32(raw + 32);
  header.suggestedBufferSize = ReadLe32(raw + 36);
  header.quality = ReadLe32(raw + 40);
  header.sampleSize = ReadLe32(raw + 44);
  for (int i = 0; i < 4; ++i) header.frame[i] = static_cast<std::int16_t>(ReadLe16(raw + 48 + 2 * i));
  return header;
}

void ReadStreamList(AviByteSource& source, const AviChunk& streamList, AviStream& stream) {
  bool haveHeader = false;
  bool haveFormat = false;
  AviChunkWalker walker(source, streamList.ChildrenBegin(), streamList.End());
  AviChunk chunk;
  while (walker.Next(chunk)) {
    if (chunk.fourcc == AviFourCC("strh") && !haveHeader) {
      std::uint8_t raw[StreamHeaderBytes] = {};
      const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size, StreamHeaderBytes));
      if (source.ReadAt(chunk.dataOffset, raw, count)) stream.header = ParseStreamHeader(raw);
      haveHeader = true;
    } else if (chunk.fourcc == AviFourCC("strf") && !haveFormat) {
      haveFormat = true;
      if (chunk.size > AviMaxFormatBytes) continue;
      stream.format.resize(static_cast<std::size_t>(chunk.size));
      if (!source.ReadAt(chunk.dataOffset, stream.format.data(), stream.format.size())) {
        stream.format.clear();
      }
    } else if (chunk.fourcc == AviFourCC("indx") && !stream.hasOpenDmlIndex) {
      ReadAviSuperIndexChunk(source, chunk, stream);
    }
  }
}

}  // namespace

void ReadAviHeaderList(AviByteSource& source, const AviChunk& headerList,
                       std::vector<AviStream>& streams) {
  AviChunkWalker walker(source, headerList.ChildrenBegin(), headerList.End());
  AviChunk chunk;
  while (walker.Next(chunk)) {
    if (!chunk.IsList(AviFourCC("strl"))) continue;
    // A stream list without a usable header still takes its stream number,
    // so the chunk ids of the streams after it keep pointing at the right one.
    streams.emplace_back();
    ReadStreamList(source, chunk, streams.back());
    if (streams.size() == AviMaxStreams) break;
  }
}

}  // namespace vantorelle
