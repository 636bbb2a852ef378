// The thumbnail part of the "Source File Properties" window without its
// drawing: the "Thumbnail >>" button, the picture of a still image, and for
// AVI movies a frame position control whose every new position decodes that
// frame. Failures are not shown; they leave the picture empty.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/src.h"
#include "playback/avi_frame_decoder.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

// Rows top to bottom; the window scales the picture into its 128 × 96 box.
struct ThumbnailPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;         // bytes a row
  std::int32_t bytesPerPixel = 3;  // 3: R, G, B; 4: R, G, B, unused
  std::vector<std::uint8_t> pixels;
  bool Empty() const { return pixels.empty(); }
};

inline constexpr int kThumbnailBoxWidth = 128;
inline constexpr int kThumbnailBoxHeight = 96;

class SourceThumbnail {
 public:
  enum class Kind { None, StillImage, AviMovie };

  // Borrows the source and the factory for as long as the window lives.
  SourceThumbnail(const CSrc& source, IKlpComponentFactory& factory);

  Kind PictureKind() const { return kind_; }
  // The button is unavailable for sources without a picture (sound alone).
  bool ButtonAvailable() const { return kind_ != Kind::None; }
  const char* ButtonText() const { return shown_ ? "<< Thumbnail" : "Thumbnail >>"; }
  bool Shown() const { return shown_; }
  // Widens or narrows the window; the picture is made when first shown.
  void Toggle();

  // The frame position control of an AVI movie: frames 0 .. FrameCount() - 1.
  bool HasFramePosition() const { return kind_ == Kind::AviMovie && decoder_.IsOpen(); }
  int FrameCount() const { return decoder_.FrameCount(); }
  int Position() const { return position_; }
  std::string CurrentFrameText() const;
  // Moves to a new position and decodes its frame; a frame without data, or
  // one that fails, leaves the picture as it was.
  void SetPosition(int frame);

  // Why the AVI decoder could not be set up ("" when it was, or not tried).
  std::string DecoderFailureText() const { return decoder_.FailureText(); }

  const ThumbnailPicture& Picture() const { return picture_; }

  // Closing the window ends decoding and releases decoder, file and buffers.
  void Close();

 private:
  void MakePicture();
  void TakeDecodedFrame();

  const CSrc& source_;
  IKlpComponentFactory& factory_;
  Kind kind_ = Kind::None;
  bool shown_ = false;
  bool made_ = false;
  int position_ = 0;
  AviFrameDecoder decoder_;
  ThumbnailPicture picture_;
};

}  // namespace vantorelle
