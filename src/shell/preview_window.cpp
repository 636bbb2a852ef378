#include "preview_window.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "playback/shown_picture_size.h"

namespace vantorelle::shell {
namespace {

// More queued sound than this means the device is not taking it: the oldest goes.
constexpr std::size_t kMaxQueuedSamples = kBoardSampleRate * kBoardChannels;
constexpr int kFeedIntervalMs = 10;

bool Silent(const float* samples, std::size_t count) {
  return std::all_of(samples, samples + count, [](float sample) { return sample == 0.0f; });
}

}  // namespace

PreviewWindow::PreviewWindow(int width, int height, double pixelAspect, QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 90);
  SetFrameFormat(width, height, pixelAspect);
  const QAudioDevice output = QMediaDevices::defaultAudioOutput();
  if (!output.isNull()) {
    QAudioFormat format;
    format.setSampleRate(kBoardSampleRate);
    format.setChannelCount(kBoardChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (output.isFormatSupported(format)) {
      audio_ = std::make_unique<QAudioSink>(output, format);
      audio_->setBufferSize(kBoardSampleRate / 5 * kBoardChannels * 2);
      device_ = audio_->start();
      if (!device_) audio_.reset();
    }
  }
  feed_ = new QTimer(this);
  connect(feed_, &QTimer::timeout, this, [this] { FeedSound(); });
}

void PreviewWindow::SetFrameFormat(int width, int height, double pixelAspect) {
  {
    std::lock_guard lock(mutex_);
    pixelAspect_ = pixelAspect;
    picture_ = QImage(width, height, QImage::Format_RGB888);
    picture_.fill(Qt::black);
  }
  update();
}

QImage PreviewWindow::ShownPicture() {
  std::lock_guard lock(mutex_);
  return picture_.copy();
}

QRect PreviewWindow::PictureRect() {
  std::lock_guard lock(mutex_);
  return PictureRectLocked();
}

std::int64_t PreviewWindow::PicturesReceived() {
  std::lock_guard lock(mutex_);
  return picturesReceived_;
}

QRect PreviewWindow::PictureRectLocked() const {
  const ShownSize frame = ShownFrameSize(picture_.width(), picture_.height(), pixelAspect_);
  const QSize shown = QSize(frame.width, frame.height).scaled(size(), Qt::KeepAspectRatio);
  return QRect(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
}

PreviewWindow::~PreviewWindow() {
  feed_->stop();
  if (audio_) audio_->stop();
}

void PreviewWindow::OnVideoFrame(double, const RgbFrame& frame) {
  bool askRepaint = false;
  {
    std::lock_guard lock(mutex_);
    if (picture_.width() != frame.width || picture_.height() != frame.height) {
      picture_ = QImage(frame.width, frame.height, QImage::Format_RGB888);
    }
    for (int y = 0; y < frame.height; ++y) {
      std::copy_n(frame.Pixel(0, y), static_cast<std::size_t>(frame.width) * 3, picture_.scanLine(y));
    }
    ++picturesReceived_;
    askRepaint = !repaintAsked_;
    repaintAsked_ = true;
  }
  // One repaint asked of the user-interface thread however many pictures
  // come before it runs; nothing polls for them.
  if (askRepaint) {
    QMetaObject::invokeMethod(
        this,
        [this] {
          {
            std::lock_guard lock(mutex_);
            repaintAsked_ = false;
          }
          update();
        },
        Qt::QueuedConnection);
  }
}

void PreviewWindow::OnAudio(double, const float* samples, std::size_t frames) {
  bool askFeed = false;
  {
    std::lock_guard lock(mutex_);
    if (!audio_) return;  // no sound device: the play runs silently
    const std::size_t count = frames * kBoardChannels;
    // The idle board sends silence every frame: with nothing queued it is
    // not fed, and the feeding timer sleeps.
    if (sound_.empty() && Silent(samples, count)) return;
    for (std::size_t i = 0; i < count; ++i) {
      sound_.push_back(static_cast<std::int16_t>(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
    }
    while (sound_.size() > kMaxQueuedSamples) sound_.pop_front();
    askFeed = !feedAsked_;
    feedAsked_ = true;
  }
  if (askFeed) {
    QMetaObject::invokeMethod(this, [this] { if (!feed_->isActive()) feed_->start(kFeedIntervalMs); },
                              Qt::QueuedConnection);
  }
}

void PreviewWindow::OnEnd() {
  std::lock_guard lock(mutex_);
  sound_.clear();
}

void PreviewWindow::FeedSound() {
  std::vector<std::int16_t> chunk;
  {
    std::lock_guard lock(mutex_);
    if (!audio_ || !device_ || sound_.empty()) {
      sound_.clear();
      feedAsked_ = false;
      feed_->stop();
      return;
    }
    const std::size_t room = static_cast<std::size_t>(audio_->bytesFree()) / sizeof(std::int16_t);
    const std::size_t count = std::min(room, sound_.size()) & ~std::size_t{1};
    chunk.assign(sound_.begin(), sound_.begin() + static_cast<std::ptrdiff_t>(count));
    sound_.erase(sound_.begin(), sound_.begin() + static_cast<std::ptrdiff_t>(count));
  }
  if (!chunk.empty()) {
    device_->write(reinterpret_cast<const char*>(chunk.data()), static_cast<qint64>(chunk.size() * sizeof(std::int16_t)));
  }
}

void PreviewWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  std::lock_guard lock(mutex_);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(PictureRectLocked(), picture_);
}

}  // namespace vantorelle::shell
