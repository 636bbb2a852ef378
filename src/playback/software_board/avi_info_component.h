// The software board's IGetAVIInfo: the video streams, formats and frame
// chunks of an AVI file, read by the board's own AVI reader. Video streams are
// numbered from 0 in file order; the stream key is the stream's number in the
// file.
#pragma once

#include <vector>

#include "playback/klp_interfaces.h"
#include "playback/software_board/avi_layout.h"

namespace vantorelle {

class AviInfoComponent final : public IGetAVIInfo {
 public:
  KlpResult LoadFile(const std::string& name) override;
  KlpResult GetVideoStreamCount(std::int32_t& count) override;
  KlpResult GetVideoStreamInfo(std::int32_t stream, KlpAviStreamHeader& header,
                               std::int32_t headerSize, std::uint32_t& streamKey,
                               std::int32_t& formatSize, std::int32_t reserved) override;
  KlpResult GetVideoFrameCount(std::int32_t stream, std::int32_t& count) override;
  KlpResult GetVideoFormat(std::int32_t stream, std::uint8_t* format, std::int32_t formatSize,
                           std::uint32_t streamKey) override;
  KlpResult GetFrameChunk(std::int32_t stream, std::int32_t frame, std::uint64_t& fileOffset,
                          std::uint32_t& byteCount, std::uint32_t& chunkFlags) override;

  // The whole reading, for diagnostics and tests.
  const AviLayout& Layout() const { return layout_; }

 private:
  const AviStream* VideoStream(std::int32_t stream) const;

  bool loaded_ = false;
  AviLayout layout_;
  std::vector<std::size_t> videoStreams_;  // indexes into layout_.streams
};

}  // namespace vantorelle
