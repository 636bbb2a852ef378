#include "support/avi_builder.h"

#include <cstddef>
#include <stdexcept>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vantorelle::testing {
namespace {

void Put16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void Put64(std::string& out, std::uint64_t value) {
  Put32(out, static_cast<std::uint32_t>(value));
  Put32(out, static_cast<std::uint32_t>(value >> 32));
}

void PutFourCC(std::string& out, const std::string& code) {
  if (code.size() != 4) throw std::invalid_argument("a four-character code needs four characters: " + code);
  out += code;
}

std::string Chunk(const std::string& code, const std::string& data) {
  std::string out;
  PutFourCC(out, code);
  Put32(out, static_cast<std::uint32_t>(data.size()));
  out += data;
  if (data.size() & 1) out.push_back('\0');
  return out;
}

std::string List(const std::string& type, const std::string& children) {
  std::string data;
  PutFourCC(data, type);
  return Chunk("LIST", data + children);
}

bool IsVideo(const AviBuildStream& stream) { return stream.type == "vids"; }

std::string ChunkId(std::size_t stream, const AviBuildStream& s) {
  std::string id;
  id.push_back(static_cast<char>('0' + stream / 10));
  id.push_back(static_cast<char>('0' + stream % 10));
  id += IsVideo(s) ? "dc" : "wb";
  return id;
}

std::string IndexId(std::size_t stream) {
  std::string id = "ix";
  id.push_back(static_cast<char>('0' + stream / 10));
  id.push_back(static_cast<char>('0' + stream % 10));
  return id;
}

bool IsKey(const AviBuildStream& stream, std::size_t chunk) {
  return chunk >= stream.keyFrames.size() || stream.keyFrames[chunk];
}

std::size_t MaxChunks(const AviBuildParams& params) {
  std::size_t most = 0;
  for (const AviBuildStream& stream : params.streams) most = std::max(most, stream.chunks.size());
  return most;
}

std::string StreamHeader(const AviBuildStream& stream) {
  std::string out;
  PutFourCC(out, stream.type);
  PutFourCC(out, stream.handler);
  Put32(out, 0);  // flags
  Put16(out, 0);  // priority
  Put16(out, 0);  // language
  Put32(out, 0);  // initial frames
  Put32(out, stream.scale);
  Put32(out, stream.rate);
  Put32(out, 0);  // start
  Put32(out, static_cast<std::uint32_t>(stream.chunks.size()));
  Put32(out, 0);  // suggested buffer size
  Put32(out, 0xFFFFFFFFu);  // quality
  Put32(out, IsVideo(stream) ? 0 : 4);
  for (int i = 0; i < 4; ++i) Put16(out, 0);
  return out;
}

std::string StreamFormat(const AviBuildStream& stream) {
  std::string out;
  if (IsVideo(stream)) {
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(stream.width));
    Put32(out, static_cast<std::uint32_t>(stream.height));
    Put16(out, 1);
    Put16(out, stream.bitCount);
    if (stream.compression.empty()) {
      Put32(out, 0);  // uncompressed RGB
    } else {
      PutFourCC(out, stream.compression);
    }
    Put32(out, static_cast<std::uint32_t>(std::int64_t{stream.width} * stream.height * stream.bitCount / 8));
    for (int i = 0; i < 4; ++i) Put32(out, 0);
  } else {
    Put16(out, 1);  // PCM
    Put16(out, 2);
    Put32(out, stream.rate);
    Put32(out, stream.rate * 4);
    Put16(out, 4);
    Put16(out, 16);
    Put16(out, 0);
  }
  return out;
}

// A super index with one entry naming the stream's standard index chunk.
std::string SuperIndex(std::size_t number, const AviBuildStream& stream, std::uint64_t indexOffset,
                       std::uint32_t indexSize) {
  std::string out;
  Put16(out, 4);
  out.push_back('\0');  // sub type
  out.push_back('\0');  // index of indexes
  Put32(out, 1);
  PutFourCC(out, ChunkId(number, stream));
  for (int i = 0; i < 3; ++i) Put32(out, 0);
  Put64(out, indexOffset);
  Put32(out, indexSize);
  Put32(out, static_cast<std::uint32_t>(stream.chunks.size()));
  return out;
}

struct Placement {
  std::uint64_t dataOffset = 0;
  std::uint32_t size = 0;
};

std::string HeaderList(const AviBuildParams& params, const std::vector<std::uint64_t>& indexOffsets,
                       const std::vector<std::uint32_t>& indexSizes) {
  std::string main;
  const AviBuildStream* video = nullptr;
  for (const AviBuildStream& stream : params.streams) {
    if (IsVideo(stream) && !video) video = &stream;
  }
  Put32(main, video && video->rate ? static_cast<std::uint32_t>(1000000ull * video->scale / video->rate) : 0);
  Put32(main, 0);
  Put32(main, 0);
  Put32(main, params.index == AviBuildIndex::None ? 0 : 0x10);
  Put32(main, video ? static_cast<std::uint32_t>(video->chunks.size()) : 0);
  Put32(main, 0);
  Put32(main, static_cast<std::uint32_t>(params.streams.size()));
  Put32(main, 0);
  Put32(main, video ? static_cast<std::uint32_t>(video->width) : 0);
  Put32(main, video ? static_cast<std::uint32_t>(video->height) : 0);
  for (int i = 0; i < 4; ++i) Put32(main, 0);

  std::string children = Chunk("avih", main);
  for (std::size_t s = 0; s < params.streams.size(); ++s) {
    std::string streamList = Chunk("strh", StreamHeader(params.streams[s])) +
                             Chunk("strf", StreamFormat(params.streams[s]));
    if (params.index == AviBuildIndex::OpenDml) {
      streamList += Chunk("indx", SuperIndex(s, params.streams[s], indexOffsets[s], indexSizes[s]));
    }
    children += List("strl", streamList);
  }
  return List("hdrl", children);
}

}  // namespace

std::string BuildAvi(const AviBuildParams& params) {
  const std::size_t streamCount = params.streams.size();
  std::vector<std::uint64_t> indexOffsets(streamCount, 0);
  std::vector<std::uint32_t> indexSizes(streamCount, 0);
  // The header list has the same size whatever offsets it names, so the
  // movie list's position is known before the offsets are.
  const std::uint64_t moviStart = 12 + HeaderList(params, indexOffsets, indexSizes).size();
  const std::uint64_t moviType = moviStart + 8;

  std::string movi;
  std::vector<std::vector<Placement>> placed(streamCount);
  std::string idx1;
  const std::uint64_t idx1Base = params.index == AviBuildIndex::Idx1FromFileStart ? 0 : moviType;
  for (std::size_t i = 0; i < MaxChunks(params); ++i) {
    for (std::size_t s = 0; s < streamCount; ++s) {
      const AviBuildStream& stream = params.streams[s];
      if (i >= stream.chunks.size()) continue;
      const std::uint64_t header = moviType + 4 + movi.size();
      movi += Chunk(ChunkId(s, stream), stream.chunks[i]);
      std::uint64_t shift = (s == 0 && i + 1 == stream.chunks.size()) ? params.lastEntryShift : 0;
      placed[s].push_back({header + 8 + shift, static_cast<std::uint32_t>(stream.chunks[i].size())});
      PutFourCC(idx1, ChunkId(s, stream));
      Put32(idx1, IsKey(stream, i) ? 0x10 : 0);
      Put32(idx1, static_cast<std::uint32_t>(header + shift - idx1Base));
      Put32(idx1, static_cast<std::uint32_t>(stream.chunks[i].size()));
    }
  }
  if (params.index == AviBuildIndex::OpenDml) {
    for (std::size_t s = 0; s < streamCount; ++s) {
      std::string standard;
      Put16(standard, 2);
      standard.push_back('\0');
      standard.push_back('\1');  // index of chunks
      Put32(standard, static_cast<std::uint32_t>(placed[s].size()));
      PutFourCC(standard, ChunkId(s, params.streams[s]));
      Put64(standard, moviType);
      Put32(standard, 0);
      for (std::size_t i = 0; i < placed[s].size(); ++i) {
        Put32(standard, static_cast<std::uint32_t>(placed[s][i].dataOffset - moviType));
        Put32(standard, placed[s][i].size | (IsKey(params.streams[s], i) ? 0u : 0x80000000u));
      }
      indexOffsets[s] = moviType + 4 + movi.size();
      indexSizes[s] = static_cast<std::uint32_t>(standard.size() + 8);
      movi += Chunk(IndexId(s), standard);
    }
  }

  std::string body;
  PutFourCC(body, "AVI ");
  body += HeaderList(params, indexOffsets, indexSizes);
  body += List("movi", movi);
  if (params.index == AviBuildIndex::Idx1FromMovi || params.index == AviBuildIndex::Idx1FromFileStart) {
    body += Chunk("idx1", idx1);
  }
  return Chunk("RIFF", body);
}

std::vector<std::string> ReadVideoPackets(const std::string& path) {
  std::vector<std::string> packets;
  AVFormatContext* input = nullptr;
  if (avformat_open_input(&input, path.c_str(), nullptr, nullptr) < 0) return packets;
  if (avformat_find_stream_info(input, nullptr) >= 0) {
    const int video = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    AVPacket* packet = av_packet_alloc();
    while (video >= 0 && packet && av_read_frame(input, packet) >= 0) {
      if (packet->stream_index == video) {
        packets.emplace_back(reinterpret_cast<const char*>(packet->data), static_cast<std::size_t>(packet->size));
      }
      av_packet_unref(packet);
    }
    av_packet_free(&packet);
  }
  avformat_close_input(&input);
  return packets;
}

}  // namespace vantorelle::testing
