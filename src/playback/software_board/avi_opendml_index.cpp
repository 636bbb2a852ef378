#include "playback/software_board/avi_opendml_index.h"

#include <algorithm>
#include <vector>

namespace vantorelle {
namespace {

constexpr std::uint8_t IndexOfIndexes = 0x00;
constexpr std::uint8_t IndexOfChunks = 0x01;
constexpr std::uint64_t IndexHeaderBytes = 24;  // after the chunk header
constexpr std::uint32_t NotKeyFrameBit = 0x80000000u;
constexpr std::size_t EntriesPerRead = 4096;

struct IndexHeader {
  std::uint16_t longsPerEntry = 0;
  std::uint8_t type = 0;
  std::uint32_t entriesInUse = 0;
  std::uint64_t baseOffset = 0;  // standard indexes only
};

bool ReadIndexHeader(AviByteSource& source, std::uint64_t dataOffset, std::uint64_t dataSize,
                     IndexHeader& header) {
  if (dataSize < IndexHeaderBytes) return false;
  std::uint8_t raw[IndexHeaderBytes];
  if (!source.ReadAt(dataOffset, raw, sizeof raw)) return false;
  header.longsPerEntry = ReadLe16(raw);
  header.type = raw[3];
  header.entriesInUse = ReadLe32(raw + 4);
  header.baseOffset = ReadLe64(raw + 12);
  return true;
}

// Entries the chunk really holds, whatever its header claims.
std::uint64_t EntriesPresent(const IndexHeader& header, std::uint64_t dataSize) {
  const std::uint64_t entryBytes = header.longsPerEntry * 4u;
  return std::min<std::uint64_t>(header.entriesInUse, (dataSize - IndexHeaderBytes) / entryBytes);
}

void ReadStandardIndex(AviByteSource& source, const AviSuperIndexEntry& where,
                       AviIndexBudget& budget, std::vector<AviIndexEntry>& index) {
  const std::uint64_t fileSize = source.Size();
  std::uint8_t chunkHeader[8];
  if (!source.ReadAt(where.offset, chunkHeader, sizeof chunkHeader)) return;
  const std::uint64_t dataOffset = where.offset + 8;
  const std::uint64_t dataSize = std::min<std::uint64_t>(ReadLe32(chunkHeader + 4), fileSize - dataOffset);
  IndexHeader header;
  if (!ReadIndexHeader(source, dataOffset, dataSize, header)) return;
  if (header.type != IndexOfChunks || header.longsPerEntry < 2) return;
  if (!budget.ClaimRange(where.offset, dataOffset + dataSize)) return;

  const std::uint64_t entryBytes = header.longsPerEntry * 4u;
  std::uint64_t left = budget.TakeEntries(EntriesPresent(header, dataSize));
  std::uint64_t position = dataOffset + IndexHeaderBytes;
  std::vector<std::uint8_t> block;
  while (left > 0) {
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(left, EntriesPerRead));
    block.resize(count * entryBytes);
    if (!source.ReadAt(position, block.data(), block.size())) return;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* raw = block.data() + i * entryBytes;
      const std::uint32_t sizeWord = ReadLe32(raw + 4);
      AviIndexEntry entry;
      entry.size = sizeWord & ~NotKeyFrameBit;
      entry.keyFrame = (sizeWord & NotKeyFrameBit) == 0;
      const std::uint32_t relative = ReadLe32(raw);
      if (header.baseOffset <= fileSize) {
        entry.dataOffset = header.baseOffset + relative;
        entry.inFile = entry.dataOffset <= fileSize && entry.size <= fileSize - entry.dataOffset;
      } else {
        entry.dataOffset = header.baseOffset;
      }
      index.push_back(entry);
    }
    position += block.size();
    left -= count;
  }
}

}  // namespace

void ReadAviSuperIndexChunk(AviByteSource& source, const AviChunk& indx, AviStream& stream) {
  IndexHeader header;
  if (!ReadIndexHeader(source, indx.dataOffset, indx.size, header)) return;
  if (header.type == IndexOfChunks && header.longsPerEntry >= 2) {
    stream.superIndex.push_back({indx.headerOffset, static_cast<std::uint32_t>(indx.size + 8)});
    stream.hasOpenDmlIndex = true;
    return;
  }
  if (header.type != IndexOfIndexes || header.longsPerEntry < 4) return;
  const std::uint64_t entryBytes = header.longsPerEntry * 4u;
  const std::uint64_t count = EntriesPresent(header, indx.size);
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(count * entryBytes));
  if (!source.ReadAt(indx.dataOffset + IndexHeaderBytes, raw.data(), raw.size())) return;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = raw.data() + i * entryBytes;
    stream.superIndex.push_back({ReadLe64(entry), ReadLe32(entry + 8)});
  }
  stream.hasOpenDmlIndex = true;
}

void ReadAviOpenDmlIndexes(AviByteSource& source, AviLayout& layout, AviIndexBudget& budget) {
  for (AviStream& stream : layout.streams) {
    if (!stream.hasOpenDmlIndex) continue;
    for (const AviSuperIndexEntry& where : stream.superIndex) {
      ReadStandardIndex(source, where, budget, stream.index);
    }
    if (!stream.index.empty()) stream.indexSource = AviIndexSource::OpenDml;
  }
}

}  // namespace vantorelle
