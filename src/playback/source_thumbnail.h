// The thumbnail part of the "Source File Properties" window without its
// drawing: the "Thumbnail >>" button, the picture of a still image, and for
// movies a frame position control whose every new position shows that frame.
// Movies of any codec the board's movie component decodes are shown through
// it, frame by frame. Failures are not shown; they leave the picture empty.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/src.h"
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
  enum class Kind { None, StillImage, Movie };

  // Borrows the source and the factory for as long as the window lives.
  SourceThumbnail(const CSrc& source, IKlpComponentFactory& factory);

  Kind PictureKind() const { return kind_; }
  // The button is unavailable for sources without a picture (sound alone).
  bool ButtonAvailable() const { return kind_ != Kind::None; }
  const char* ButtonText() const { return shown_ ? "<< Thumbnail" : "Thumbnail >>"; }
  bool Shown() const { return shown_; }
  // Widens or narrows the window; the picture is made when first shown.
  void Toggle();

  // The frame position control of a movie: frames 0 .. FrameCount() - 1.
  bool HasFramePosition() const { return kind_ == Kind::Movie && movie_ != nullptr; }
  int FrameCount() const { return frameCount_; }
  int Position() const { return position_; }
  std::string CurrentFrameText() const;
  // Moves to a new position and shows its frame; a frame that cannot be
  // decoded leaves the picture as it was.
  void SetPosition(int frame);

  // Why the movie could not be opened ("" when it was, or not tried).
  const std::string& FailureText() const { return failure_; }

  const ThumbnailPicture& Picture() const { return picture_; }

  // Closing the window releases the movie, its file and the buffers.
  void Close();

 private:
  void MakePicture();
  bool OpenMovie();
  bool DecodeFrame(int frame);

  const CSrc& source_;
  IKlpComponentFactory& factory_;
  Kind kind_ = Kind::None;
  bool shown_ = false;
  bool made_ = false;
  int position_ = 0;
  std::unique_ptr<IKlpPlayMovie> movie_;
  std::unique_ptr<IKlpPlayYCrCbImage> image_;
  std::unique_ptr<IKlpPlayJPEGImage> jpeg_;  // JPEG streams only
  bool jpegStream_ = false;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  double framesPerSecond_ = 0.0;
  int frameCount_ = 0;
  std::string failure_;
  ThumbnailPicture picture_;
};

}  // namespace vantorelle
