#include "playback/source_thumbnail.h"

#include <cstdio>

#include "playback/frame_picture.h"

namespace vantorelle {
namespace {

SourceThumbnail::Kind KindOf(const CSrc& source) {
  if (!HasPicture(source.flags)) return SourceThumbnail::Kind::None;
  return (source.flags & SourceFlags::MovieFile) != 0 ? SourceThumbnail::Kind::AviMovie
                                                       : SourceThumbnail::Kind::StillImage;
}

}  // namespace

SourceThumbnail::SourceThumbnail(const CSrc& source, IKlpComponentFactory& factory)
    : source_(source), factory_(factory), kind_(KindOf(source)) {}

void SourceThumbnail::Toggle() {
  if (!ButtonAvailable()) return;
  shown_ = !shown_;
  if (shown_ && !made_) MakePicture();
}

void SourceThumbnail::MakePicture() {
  made_ = true;
  if (kind_ == Kind::StillImage) {
    // The window reports nothing; a picture that cannot be made stays empty.
    std::optional<FramePicture> still = LoadStillImagePicture(factory_, source_, nullptr);
    if (!still) return;
    picture_.width = still->width;
    picture_.height = still->height;
    picture_.stride = still->stride;
    picture_.bytesPerPixel = 3;
    picture_.pixels = std::move(still->pixels);
    return;
  }
  if (!decoder_.Open(factory_, source_.path)) return;
  position_ = 0;
  if (decoder_.FrameCount() > 0) SetPosition(0);
}

std::string SourceThumbnail::CurrentFrameText() const {
  char text[48];
  std::snprintf(text, sizeof text, "Current frame: %d", position_);
  return text;
}

void SourceThumbnail::SetPosition(int frame) {
  if (!HasFramePosition() || frame < 0 || frame >= decoder_.FrameCount()) return;
  position_ = frame;
  if (decoder_.DecodeFrame(frame) == AviFrameOutcome::NewPicture) TakeDecodedFrame();
}

void SourceThumbnail::TakeDecodedFrame() {
  picture_.width = decoder_.Width();
  picture_.height = decoder_.Height();
  picture_.bytesPerPixel = decoder_.BytesPerPixel();
  picture_.stride = picture_.width * picture_.bytesPerPixel;
  picture_.pixels = decoder_.Picture();
}

void SourceThumbnail::Close() {
  decoder_.Close();
  picture_ = ThumbnailPicture{};
  shown_ = false;
  made_ = false;
  position_ = 0;
}

}  // namespace vantorelle
