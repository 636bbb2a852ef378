#include "playback/source_thumbnail.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "playback/frame_picture.h"

namespace vantorelle {
namespace {

SourceThumbnail::Kind KindOf(const CSrc& source) {
  if (!HasPicture(source.flags)) return SourceThumbnail::Kind::None;
  return (source.flags & SourceFlags::MovieFile) != 0 ? SourceThumbnail::Kind::Movie
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
  if (!OpenMovie()) {
    movie_.reset();
    image_.reset();
    jpeg_.reset();
    frameCount_ = 0;
    return;
  }
  position_ = 0;
  SetPosition(0);
}

bool SourceThumbnail::OpenMovie() {
  failure_.clear();
  if (!KlpSucceeded(factory_.CreatePlayMovie(movie_)) || !movie_) {
    failure_ = "Can't create the movie.";
    return false;
  }
  if (!KlpSucceeded(movie_->OpenFile(source_.path))) {
    failure_ = "Can't open file.";
    return false;
  }
  std::uint32_t streams = 0;
  double videoS = 0.0;
  double audioS = 0.0;
  if (!KlpSucceeded(movie_->GetMovieInfo(0, streams, width_, height_, videoS, framesPerSecond_, audioS, nullptr)) ||
      !(streams & KlpStream::VideoKinds)) {
    failure_ = "The file holds no picture stream.";
    return false;
  }
  if (width_ <= 0 || height_ <= 0 || width_ > kLargestPictureSide || height_ > kLargestPictureSide ||
      framesPerSecond_ <= 0.0 || videoS <= 0.0) {
    failure_ = "The picture stream has no size or length.";
    return false;
  }
  frameCount_ = static_cast<int>(std::max(1.0, std::round(videoS * framesPerSecond_)));
  jpegStream_ = (streams & KlpStream::YCrCbVideo) == 0 && (streams & KlpStream::JpegVideo) != 0;
  if (!KlpSucceeded(factory_.CreatePlayYCrCbImage(image_)) || !image_ ||
      (jpegStream_ && (!KlpSucceeded(factory_.CreatePlayJPEGImage(jpeg_)) || !jpeg_))) {
    failure_ = "Can't create the picture.";
    return false;
  }
  return true;
}

std::string SourceThumbnail::CurrentFrameText() const {
  char text[48];
  std::snprintf(text, sizeof text, "Current frame: %d", position_);
  return text;
}

void SourceThumbnail::SetPosition(int frame) {
  if (!HasFramePosition() || frame < 0 || frame >= frameCount_) return;
  position_ = frame;
  DecodeFrame(frame);
}

bool SourceThumbnail::DecodeFrame(int frame) {
  // The middle of the frame's time, safe from rounding at its edges.
  const double seconds = (frame + 0.5) / framesPerSecond_;
  if (jpegStream_) {
    if (!KlpSucceeded(movie_->CopyToJPEGImage(*jpeg_, seconds)) || !KlpSucceeded(jpeg_->DecompressToImage(*image_))) {
      return false;
    }
  } else if (!KlpSucceeded(movie_->CopyToYCrCbImage(*image_, seconds))) {
    return false;
  }
  IKlpYCrCbImageRGB* rgb = nullptr;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width_) * height_ * 3);
  if (!KlpSucceeded(image_->QueryYCrCbImageRGB(rgb)) || !rgb ||
      !KlpSucceeded(rgb->GetRGBData(pixels.data(), pixels.size()))) {
    return false;
  }
  picture_.width = width_;
  picture_.height = height_;
  picture_.bytesPerPixel = 3;
  picture_.stride = width_ * 3;
  picture_.pixels = std::move(pixels);
  return true;
}

void SourceThumbnail::Close() {
  movie_.reset();
  image_.reset();
  jpeg_.reset();
  frameCount_ = 0;
  picture_ = ThumbnailPicture{};
  shown_ = false;
  made_ = false;
  position_ = 0;
}

}  // namespace vantorelle
