#include "playback/software_board/board_output.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "playback/software_board/audio_time_line.h"
#include "playback/software_board/title_layer.h"
#include "playback/software_board/video_time_line.h"
#include "playback/software_board/yuv_compose.h"

namespace vantorelle {
namespace {

void PutPicture(const RgbFrame& picture, const WindowRect& window, RgbFrame& frame) {
  const std::int32_t left = std::max(window.left, 0);
  const std::int32_t top = std::max(window.top, 0);
  const std::int32_t right = std::min({window.left + window.width, window.left + picture.width, frame.width});
  const std::int32_t bottom = std::min({window.top + window.height, window.top + picture.height, frame.height});
  if (right <= left) return;
  if (picture.alpha.empty()) {
    for (std::int32_t y = top; y < bottom; ++y) {
      std::memcpy(frame.Pixel(left, y), picture.Pixel(left - window.left, y - window.top),
                  static_cast<std::size_t>(right - left) * 3);
    }
    return;
  }
  // Laid over what the lines before made, by its opacity.
  for (std::int32_t y = top; y < bottom; ++y) {
    const std::int32_t sourceY = y - window.top;
    const std::uint8_t* colour = picture.Pixel(left - window.left, sourceY);
    const std::uint8_t* opacity =
        picture.alpha.data() + static_cast<std::size_t>(sourceY) * picture.width + (left - window.left);
    std::uint8_t* out = frame.Pixel(left, y);
    for (std::int32_t x = 0; x < right - left; ++x) {
      const unsigned a = opacity[x];
      if (a == 0) continue;
      for (int c = 0; c < 3; ++c) {
        out[x * 3 + c] = static_cast<std::uint8_t>((colour[x * 3 + c] * a + out[x * 3 + c] * (255 - a) + 127) / 255);
      }
    }
  }
}

template <typename T>
void Erase(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

std::int64_t SoundFramesBefore(std::int64_t frame, double framesPerSecond) {
  return static_cast<std::int64_t>(std::floor(frame * kBoardSampleRate / framesPerSecond + 1e-6));
}

BoardOutput::BoardOutput(const SoftwareBoardFormat& format) : format_(format) {}

bool BoardOutput::SetFormat(const SoftwareBoardFormat& format) {
  std::lock_guard lock(mutex_);
  if (!video_.empty() || !audio_.empty() || !titles_.empty()) return false;
  // With every line gone a play still marked as going is over.
  EndPlayLocked();
  format_ = format;
  composedValid_ = false;
  return true;
}

void BoardOutput::SetSink(IOutputSink* sink) {
  std::lock_guard lock(mutex_);
  sink_ = sink;
  composedValid_ = false;  // a new sink gets a first picture
  std::optional<YuvFormat> wanted = sink ? sink->YuvWanted() : std::nullopt;
  if (wanted && !ComposableYuv(wanted->format)) wanted.reset();
  std::lock_guard yuvLock(yuvMutex_);
  yuv_ = wanted;
}

std::optional<YuvFormat> BoardOutput::YuvPictures() const {
  // Asked by lines holding their own lock, while the output may hold its
  // own and ask the lines: so not under mutex_.
  std::lock_guard lock(yuvMutex_);
  return yuv_;
}

void BoardOutput::Add(VideoTimeLine* line) {
  std::lock_guard lock(mutex_);
  video_.push_back(line);
}
void BoardOutput::Remove(VideoTimeLine* line) {
  std::lock_guard lock(mutex_);
  Erase(video_, line);
}
void BoardOutput::Add(AudioTimeLine* line) {
  std::lock_guard lock(mutex_);
  audio_.push_back(line);
}
void BoardOutput::Remove(AudioTimeLine* line) {
  std::lock_guard lock(mutex_);
  Erase(audio_, line);
}
void BoardOutput::Add(TitleLayer* layer) {
  std::lock_guard lock(mutex_);
  titles_.push_back(layer);
}
void BoardOutput::Remove(TitleLayer* layer) {
  std::lock_guard lock(mutex_);
  Erase(titles_, layer);
}

bool BoardOutput::AnyPlaying() const {
  return std::any_of(video_.begin(), video_.end(), [](VideoTimeLine* line) { return line->Playing(); }) ||
         std::any_of(audio_.begin(), audio_.end(), [](AudioTimeLine* line) { return line->Playing(); });
}

bool BoardOutput::RenderAt(double boardTime, bool waitForDecoders) {
  std::lock_guard lock(mutex_);
  if (!AnyPlaying()) {
    EndPlayLocked();
    return false;
  }
  if (!inPlay_) {
    inPlay_ = true;
    frames_ = 0;
    samples_ = 0;
  }
  const YuvFrame* yuvFrame = yuv_ ? &ComposeYuv(boardTime, waitForDecoders) : nullptr;
  const bool pictureChanged = yuv_ || ComposeRgb(boardTime, waitForDecoders);
  const std::int64_t soundEnd = SoundFramesBefore(frames_ + 1, format_.framesPerSecond);
  const auto count = static_cast<std::size_t>(soundEnd - samples_);
  mixer_.Begin(count);
  lineSound_.resize(count * 2);
  for (AudioTimeLine* line : audio_) {
    if (!line->Playing()) continue;
    line->Pull(lineSound_.data(), count);
    mixer_.Add(lineSound_.data());
  }
  const std::vector<float>& sound = mixer_.Finish();
  if (sink_) {
    if (yuvFrame) {
      sink_->OnYuvFrame(frames_ / format_.framesPerSecond, *yuvFrame);
    } else if (pictureChanged || sink_->TakesRepeatedPictures()) {
      sink_->OnVideoFrame(frames_ / format_.framesPerSecond, frame_);
    }
    sink_->OnAudio(static_cast<double>(samples_) / kBoardSampleRate, sound.data(), count);
  }
  shown_.clear();
  ++frames_;
  samples_ = soundEnd;
  return true;
}

bool BoardOutput::ComposeRgb(double boardTime, bool waitForDecoders) {
  linePictures_.clear();
  for (VideoTimeLine* line : video_) linePictures_.push_back(line->PictureAt(boardTime, waitForDecoders));
  const bool titles = std::any_of(titles_.begin(), titles_.end(),
                                  [&](TitleLayer* layer) { return layer->Active() && layer->DrawsAt(boardTime); });
  const bool sizeKept = frame_.width == format_.width && frame_.height == format_.height;
  // The same pictures without titles make the same frame (an idle preview,
  // a still): it is not made again.
  if (composedValid_ && sizeKept && !titles && !composedWithTitles_ && linePictures_ == composedFrom_) return false;
  // One frame, blackened each time: a fresh one of 4K would cost the system
  // 25 MB of new pages a frame.
  if (!sizeKept) {
    frame_ = RgbFrame(format_.width, format_.height);
  } else {
    std::fill(frame_.pixels.begin(), frame_.pixels.end(), std::uint8_t{0});
    frame_.alpha.clear();
  }
  RgbFrame& frame = frame_;
  for (std::size_t i = 0; i < video_.size(); ++i) {
    if (linePictures_[i]) PutPicture(linePictures_[i]->rgb, video_[i]->Window(), frame);
  }
  for (TitleLayer* layer : titles_) {
    if (layer->Active()) layer->DrawAt(boardTime, frame);
  }
  composedFrom_.swap(linePictures_);
  composedWithTitles_ = titles;
  composedValid_ = true;
  return true;
}

const YuvFrame& BoardOutput::ComposeYuv(double boardTime, bool waitForDecoders) {
  const YuvFormat& format = *yuv_;
  const std::int32_t width = format_.width;
  const std::int32_t height = format_.height;
  const YuvFrame* passed = nullptr;  // a picture that is the whole frame so far
  bool composing = false;            // yuvFrame_ holds the frame so far
  auto compose = [&] {
    if (composing) return;
    if (yuvFrame_.width != width || yuvFrame_.height != height || !(yuvFrame_.format == format)) {
      yuvFrame_ = YuvFrame(width, height, format);
    }
    if (passed) {
      yuvFrame_.CopyFrom(*passed);
    } else {
      yuvFrame_.FillBlack();
    }
    passed = nullptr;
    composing = true;
  };
  for (VideoTimeLine* line : video_) {
    SharedPicture picture = line->PictureAt(boardTime, waitForDecoders);
    if (!picture || picture->clear) continue;
    const YuvFrame& yuv = picture->yuv;
    const WindowRect window = line->Window();
    const bool opaque = yuv.alpha.empty() && yuv.format == format;
    shown_.push_back(std::move(picture));
    if (opaque && window.left == 0 && window.top == 0 && window.width == width && window.height == height &&
        yuv.width == width && yuv.height == height) {
      passed = &yuv;
      composing = false;
      continue;
    }
    compose();
    const ComposeRect rect{window.left, window.top, window.width, window.height};
    if (opaque) {
      PutYuvPicture(yuv, rect, yuvFrame_);
    } else {
      LayYuvPicture(yuv, window.left, window.top, rect, 256, yuvFrame_);
    }
  }
  for (TitleLayer* layer : titles_) {
    if (!layer->Active()) continue;
    compose();
    layer->DrawAt(boardTime, yuvFrame_);
  }
  if (passed) return *passed;
  if (composing) return yuvFrame_;
  if (yuvBlack_.width != width || yuvBlack_.height != height || !(yuvBlack_.format == format)) {
    yuvBlack_ = YuvFrame(width, height, format);
  }
  return yuvBlack_;
}


void BoardOutput::EndPlayLocked() {
  if (!inPlay_) return;
  inPlay_ = false;
  composedValid_ = false;  // the next play's first picture is sent whatever it is
  composedFrom_.clear();
  if (sink_) sink_->OnEnd();
}

void BoardOutput::EndPlay() {
  std::lock_guard lock(mutex_);
  EndPlayLocked();
}

double BoardOutput::ContentLeftAt(double boardTime) const {
  std::lock_guard lock(mutex_);
  double left = 0.0;
  for (VideoTimeLine* line : video_) {
    if (line->Playing()) left = std::max(left, line->RestAt(boardTime));
  }
  for (AudioTimeLine* line : audio_) {
    if (line->Playing()) left = std::max(left, line->RestAt(boardTime));
  }
  return left;
}

std::vector<VideoTimeLine*> BoardOutput::VideoLines() const {
  std::lock_guard lock(mutex_);
  return video_;
}

std::int64_t BoardOutput::FramesOutput() const {
  std::lock_guard lock(mutex_);
  return frames_;
}

}  // namespace vantorelle
