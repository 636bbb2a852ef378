// Decodes single frames of an AVI file's first video stream for the frame
// viewer of the properties window. The file is read through whatever
// IGetAVIInfo the factory makes; the frames are decoded with FFmpeg and
// converted to RGB pictures of the stream's width and height.
//
// Use: Open(factory, path); on failure FailureText() says which set-up step
// failed. Then DecodeFrame(n) for any n below FrameCount(); after NewPicture
// (or Unchanged) Picture() holds the frame to show.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "playback/klp_interfaces.h"

namespace vantorelle {

// The set-up step that failed, in the order they are taken.
enum class AviFrameDecoderFailure {
  None,
  CreateInfo,      // the factory made no IGetAVIInfo
  LoadFile,
  StreamCount,
  NoVideoStream,
  StreamInfo,
  VideoFormat,
  NoDecoder,       // no FFmpeg decoder for the stream's codec
  BadFormat,       // a format the decoder cannot turn into a picture
  StartDecoder,
  FrameCount,
  OpenFile,
};

// The text the system keeps for a failed step ("" for None).
const char* AviFrameDecoderFailureText(AviFrameDecoderFailure failure);

enum class AviFramePixels {
  Rgbx32,  // 4 bytes a pixel: R, G, B, 255
  Rgb24,   // 3 bytes a pixel: R, G, B (when no 32-bit conversion is available)
};

enum class AviFrameOutcome {
  NewPicture,  // Picture() now shows the frame asked for
  Unchanged,   // the frame holds no data (a repeated frame): the picture stays
  Failed,
};

class AviFrameDecoder {
 public:
  AviFrameDecoder();
  ~AviFrameDecoder();
  AviFrameDecoder(const AviFrameDecoder&) = delete;
  AviFrameDecoder& operator=(const AviFrameDecoder&) = delete;

  // Closes any file open before. False when a step fails; everything acquired
  // up to then is released again.
  bool Open(IKlpComponentFactory& factory, const std::string& path);
  void Close();
  bool IsOpen() const { return state_ != nullptr; }

  AviFrameDecoderFailure Failure() const { return failure_; }
  std::string FailureText() const { return AviFrameDecoderFailureText(failure_); }

  int Width() const;
  int Height() const;
  int FrameCount() const;
  double FramesPerSecond() const;  // 0 when the stream header gives no rate
  std::uint32_t CodecFourCC() const;  // the stream header's handler code
  AviFramePixels Pixels() const;
  int BytesPerPixel() const { return Pixels() == AviFramePixels::Rgbx32 ? 4 : 3; }

  // Decodes frame n. Jumping to a frame that depends on earlier ones decodes
  // from the key frame before it, so the picture is always that frame's.
  AviFrameOutcome DecodeFrame(int frame);

  // Rows top to bottom, Width() × BytesPerPixel() bytes each, no padding.
  // Black until a frame has been decoded; empty while closed.
  const std::vector<std::uint8_t>& Picture() const;

 private:
  struct State;
  AviFrameDecoderFailure Setup(IKlpComponentFactory& factory, const std::string& path);

  std::unique_ptr<State> state_;
  AviFrameDecoderFailure failure_ = AviFrameDecoderFailure::None;
};

}  // namespace vantorelle
