// The software board's JPEG image: the compressed bytes of one MJPEG frame,
// decompressed into a YCrCb image on request.
#pragma once

#include <cstdint>
#include <vector>

#include "playback/ffmpeg_handles.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

class JpegImageComponent final : public IKlpPlayJPEGImage {
 public:
  // The image must be the software board's own; KlpUnexpected while empty,
  // KlpBadFormat when the bytes are no picture.
  KlpResult DecompressToImage(IKlpPlayYCrCbImage& image) override;

  void TakeBytes(std::vector<std::uint8_t> bytes) { bytes_ = std::move(bytes); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  bool OpenDecoder();

  std::vector<std::uint8_t> bytes_;
  AvCodecContextPtr decoder_;  // opened at the first decompression, then kept
  AvPacketPtr packet_;
  AvFramePtr frame_;
};

}  // namespace vantorelle
