// What the AVI reader learns about a file: its streams with their headers,
// formats and frame indexes. Offsets are absolute positions in the file.
#pragma once

#include <cstdint>
#include <vector>

#include "playback/klp_interfaces.h"

namespace vantorelle {

struct AviIndexEntry {
  std::uint64_t dataOffset = 0;  // first byte of the chunk's data
  std::uint32_t size = 0;
  bool keyFrame = false;
  bool inFile = false;  // false when the data the entry names runs past the file's end
};

// A super index (indx) entry: where one standard index chunk lies.
struct AviSuperIndexEntry {
  std::uint64_t offset = 0;  // the ix## chunk's header
  std::uint32_t size = 0;
};

// Which index a stream's frame list came from.
enum class AviIndexSource { None, OpenDml, Idx1, MoviScan };

struct AviStream {
  KlpAviStreamHeader header;
  std::vector<std::uint8_t> format;  // the strf bytes
  bool hasOpenDmlIndex = false;      // an indx chunk was found in the stream list
  std::vector<AviSuperIndexEntry> superIndex;
  AviIndexSource indexSource = AviIndexSource::None;
  std::vector<AviIndexEntry> index;  // one entry a chunk, in file order
};

struct AviMoviList {
  std::uint64_t fourccOffset = 0;  // where the 'movi' list type stands
  std::uint64_t end = 0;
};

struct AviLayout {
  std::uint64_t fileSize = 0;
  std::vector<AviStream> streams;  // in stream-list order: the "##" of chunk ids
  std::vector<AviMoviList> moviLists;  // the first RIFF's, then each AVIX's
  bool hasIdx1 = false;
  std::uint64_t idx1Offset = 0;
  std::uint64_t idx1Size = 0;
};

inline constexpr std::uint32_t AviVideoStreamType = 0x73646976;  // 'vids'

}  // namespace vantorelle
