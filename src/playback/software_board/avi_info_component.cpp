#include "playback/software_board/avi_info_component.h"

#include <climits>
#include <cstring>

#include "playback/software_board/avi_byte_source.h"
#include "playback/software_board/avi_index_reader.h"

namespace vantorelle {

KlpResult AviInfoComponent::LoadFile(const std::string& name) {
  loaded_ = false;
  layout_ = AviLayout{};
  videoStreams_.clear();
  auto source = AviFileSource::Open(name);
  if (!source) return KlpFileNotFound;
  AviLayout layout;
  const KlpResult result = ReadAviLayout(*source, layout);
  if (!KlpSucceeded(result)) return result;
  layout_ = std::move(layout);
  for (std::size_t i = 0; i < layout_.streams.size(); ++i) {
    if (layout_.streams[i].header.fccType == AviVideoStreamType) videoStreams_.push_back(i);
  }
  loaded_ = true;
  return KlpOk;
}

const AviStream* AviInfoComponent::VideoStream(std::int32_t stream) const {
  if (!loaded_ || stream < 0 || static_cast<std::size_t>(stream) >= videoStreams_.size()) return nullptr;
  return &layout_.streams[videoStreams_[static_cast<std::size_t>(stream)]];
}

KlpResult AviInfoComponent::GetVideoStreamCount(std::int32_t& count) {
  if (!loaded_) return KlpUnexpected;
  count = static_cast<std::int32_t>(videoStreams_.size());
  return KlpOk;
}

KlpResult AviInfoComponent::GetVideoStreamInfo(std::int32_t stream, KlpAviStreamHeader& header,
                                               std::int32_t headerSize, std::uint32_t& streamKey,
                                               std::int32_t& formatSize, std::int32_t) {
  const AviStream* video = VideoStream(stream);
  if (!video) return loaded_ ? KlpInvalidArgument : KlpUnexpected;
  if (headerSize < 0 || static_cast<std::size_t>(headerSize) < sizeof(KlpAviStreamHeader)) {
    return KlpInvalidArgument;
  }
  header = video->header;
  streamKey = static_cast<std::uint32_t>(videoStreams_[static_cast<std::size_t>(stream)]);
  formatSize = static_cast<std::int32_t>(video->format.size());
  return KlpOk;
}

KlpResult AviInfoComponent::GetVideoFrameCount(std::int32_t stream, std::int32_t& count) {
  const AviStream* video = VideoStream(stream);
  if (!video) return loaded_ ? KlpInvalidArgument : KlpUnexpected;
  if (video->index.size() > static_cast<std::size_t>(INT32_MAX)) return KlpBadFormat;
  count = static_cast<std::int32_t>(video->index.size());
  return KlpOk;
}

KlpResult AviInfoComponent::GetVideoFormat(std::int32_t stream, std::uint8_t* format,
                                           std::int32_t formatSize, std::uint32_t streamKey) {
  const AviStream* video = VideoStream(stream);
  if (!video) return loaded_ ? KlpInvalidArgument : KlpUnexpected;
  if (streamKey != videoStreams_[static_cast<std::size_t>(stream)]) return KlpInvalidArgument;
  if (formatSize < 0 || static_cast<std::size_t>(formatSize) < video->format.size()) {
    return KlpInvalidArgument;
  }
  if (video->format.empty()) return KlpOk;
  if (!format) return KlpPointer;
  std::memcpy(format, video->format.data(), video->format.size());
  return KlpOk;
}

KlpResult AviInfoComponent::GetFrameChunk(std::int32_t stream, std::int32_t frame,
                                          std::uint64_t& fileOffset, std::uint32_t& byteCount,
                                          std::uint32_t& chunkFlags) {
  const AviStream* video = VideoStream(stream);
  if (!video) return loaded_ ? KlpInvalidArgument : KlpUnexpected;
  if (frame < 0 || static_cast<std::size_t>(frame) >= video->index.size()) return KlpInvalidArgument;
  const AviIndexEntry& entry = video->index[static_cast<std::size_t>(frame)];
  // An entry that names bytes beyond the file must never send a caller there.
  if (!entry.inFile) return KlpBadFormat;
  fileOffset = entry.dataOffset;
  byteCount = entry.size;
  chunkFlags = entry.keyFrame ? KlpAviKeyFrame : 0;
  return KlpOk;
}

}  // namespace vantorelle
