#include "playback/encoder_sink.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace vantorelle {

YuvFormat EncoderPictureFormat(const MediaFileSettings& settings) {
  if (settings.format == MediaFileFormat::AviMjpegPcm) return YuvFormat{AV_PIX_FMT_YUV422P, true, SWS_CS_ITU601};
  const OutputColour colour = OutputColourOf(settings.width, settings.height, settings.framesPer1000s);
  const int matrix = colour == OutputColour::Bt709 ? SWS_CS_ITU709 : SWS_CS_ITU601;
  return YuvFormat{AV_PIX_FMT_YUV420P, false, matrix};
}

EncoderSink::EncoderSink(MediaFileEncoder& encoder, std::optional<YuvFormat> pictures)
    : encoder_(encoder), pictures_(pictures), thread_([this] { Run(); }) {}

EncoderSink::~EncoderSink() { Finish(); }

bool EncoderSink::Ok() const {
  std::lock_guard lock(mutex_);
  return ok_;
}

AvFramePtr EncoderSink::FreeYuvFrame(const YuvFrame& like) {
  AvFramePtr frame;
  {
    // A frame the encoder still holds (it takes references) waits in the
    // pool until it lets go; one of another size is dropped.
    std::lock_guard lock(mutex_);
    std::erase_if(freeFrames_, [&](const AvFramePtr& f) {
      return f->width != like.width || f->height != like.height || f->format != like.format.format;
    });
    const auto writable = std::find_if(freeFrames_.begin(), freeFrames_.end(),
                                       [](const AvFramePtr& f) { return av_frame_is_writable(f.get()) != 0; });
    if (writable != freeFrames_.end()) {
      frame = std::move(*writable);
      freeFrames_.erase(writable);
    }
  }
  if (frame) return frame;
  frame.reset(av_frame_alloc());
  if (!frame) return nullptr;
  frame->width = like.width;
  frame->height = like.height;
  frame->format = like.format.format;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  return frame;
}

void EncoderSink::OnYuvFrame(double, const YuvFrame& picture) {
  if (!Ok()) return;
  AvFramePtr frame = FreeYuvFrame(picture);
  if (!frame) {
    std::lock_guard lock(mutex_);
    ok_ = false;
    return;
  }
  for (int p = 0; p < 3; ++p) {
    av_image_copy_plane(frame->data[p], frame->linesize[p], picture.Row(p, 0), picture.Stride(p), picture.Stride(p),
                        p == 0 ? picture.height : picture.ChromaHeight());
  }
  frame->color_range = picture.format.fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
  frame->colorspace = static_cast<AVColorSpace>(picture.format.matrix);
  Item item;
  item.kind = Item::Kind::Yuv;
  item.yuv = std::move(frame);
  Push(std::move(item), true);
}

void EncoderSink::OnVideoFrame(double, const RgbFrame& picture) {
  if (!Ok()) return;
  Item item;
  item.kind = Item::Kind::Rgb;
  {
    std::lock_guard lock(mutex_);
    if (!freeRgb_.empty()) {
      item.rgb = std::move(freeRgb_.back());
      freeRgb_.pop_back();
    }
  }
  item.rgb.assign(picture.pixels.begin(), picture.pixels.end());
  Push(std::move(item), true);
}

void EncoderSink::OnAudio(double, const float* samples, std::size_t frames) {
  if (!Ok()) return;
  Item item;
  item.kind = Item::Kind::Sound;
  item.sound.assign(samples, samples + frames * kBoardChannels);
  Push(std::move(item), false);
}

void EncoderSink::Push(Item item, bool picture) {
  std::unique_lock lock(mutex_);
  if (picture) changed_.wait(lock, [this] { return queuedPictures_ < kQueuedFrames || stopping_ || !ok_; });
  if (stopping_ || !ok_) return;
  if (picture) ++queuedPictures_;
  queue_.push_back(std::move(item));
  changed_.notify_all();
}

void EncoderSink::Run() {
  for (;;) {
    Item item;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
      if (queue_.empty()) return;  // stopping, and all is written
      item = std::move(queue_.front());
      queue_.pop_front();
    }
    bool written = true;
    switch (item.kind) {
      case Item::Kind::Yuv: written = encoder_.WriteVideoFrame(*item.yuv); break;
      case Item::Kind::Rgb: written = encoder_.WriteVideoFrame(item.rgb.data()); break;
      case Item::Kind::Sound:
        written = encoder_.WriteAudio(item.sound.data(), item.sound.size() / kBoardChannels);
        break;
    }
    std::lock_guard lock(mutex_);
    if (item.kind != Item::Kind::Sound) --queuedPictures_;
    if (item.yuv) freeFrames_.push_back(std::move(item.yuv));
    if (item.kind == Item::Kind::Rgb) freeRgb_.push_back(std::move(item.rgb));
    if (!written && ok_) {
      ok_ = false;
      queue_.clear();  // nothing after a failure is written
      queuedPictures_ = 0;
    }
    changed_.notify_all();
  }
}

bool EncoderSink::Finish() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  return Ok();
}

void EncoderSink::Interrupt() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
    queuedPictures_ = 0;
  }
  changed_.notify_all();
}

void EncoderSink::Discard() {
  Interrupt();
  if (thread_.joinable()) thread_.join();
}

}  // namespace vantorelle
