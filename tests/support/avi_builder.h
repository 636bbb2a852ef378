// Builds AVI files byte by byte, for tests that need layouts a muxer will not
// write: a legacy index counted from the file start, no index at all, an
// OpenDML index alone, zero-size (repeated) frames, damaged sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantorelle::testing {

struct AviBuildStream {
  std::string type = "vids";         // strh fccType
  std::string handler = "MJPG";      // strh fccHandler
  std::string compression = "MJPG";  // bitmap header compression (video only)
  std::uint32_t scale = 1;
  std::uint32_t rate = 25;
  std::int32_t width = 320;
  std::int32_t height = 240;
  std::uint16_t bitCount = 24;
  std::vector<std::string> chunks;  // frame payloads in order; "" is a dropped frame
  std::vector<bool> keyFrames;      // per chunk; missing entries count as key frames
};

enum class AviBuildIndex {
  None,
  Idx1FromMovi,       // idx1 offsets counted from the 'movi' list type
  Idx1FromFileStart,  // idx1 offsets counted from the start of the file
  OpenDml,            // indx super index naming one ix## standard index per stream
};

struct AviBuildParams {
  std::vector<AviBuildStream> streams;
  AviBuildIndex index = AviBuildIndex::Idx1FromMovi;
  // Makes the index entry of the last chunk of stream 0 point this many bytes
  // further on (past the end of the file when large).
  std::uint32_t lastEntryShift = 0;
};

// The whole file as bytes. Chunks of all streams are interleaved: chunk i of
// every stream, then chunk i + 1, ...
std::string BuildAvi(const AviBuildParams& params);

// The frame payloads of stream 0 of an AVI file, read with libavformat, for
// rebuilding a muxer-made file in another layout.
std::vector<std::string> ReadVideoPackets(const std::string& path);

}  // namespace vantorelle::testing
