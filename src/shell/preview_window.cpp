#include "preview_window.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "playback/shown_picture_size.h"

namespace vantorelle::shell {
namespace {

// More queued sound than this means the device is not taking it: the oldest goes.
constexpr std::size_t kMaxQueuedSamples = kBoardSampleRate * kBoardChannels;

}  // namespace

PreviewWindow::PreviewWindow(int width, int height, double pixelAspect, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setWindowTitle("Preview");
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
  connect(&feed_, &QTimer::timeout, this, [this] {
    FeedSound();
    bool changed = false;
    {
      std::lock_guard lock(mutex_);
      changed = pictureChanged_;
      pictureChanged_ = false;
    }
    if (changed) update();
  });
  feed_.start(10);
}

void PreviewWindow::SetFrameFormat(int width, int height, double pixelAspect) {
  {
    std::lock_guard lock(mutex_);
    pixelAspect_ = pixelAspect;
    picture_ = QImage(width, height, QImage::Format_RGB888);
    picture_.fill(Qt::black);
  }
  // Half the screen at most, so a 4K project's window still leaves room for
  // the time line.
  QSize room(width, height);
  if (const QScreen* shown = screen()) room = shown->availableGeometry().size() / 2;
  const ShownSize fitted =
      FitShownSize(ShownFrameSize(width, height, pixelAspect), ShownSize{room.width(), room.height()});
  const QRect frame = frameGeometry();
  const QSize margins = frame.size() - size();  // the window manager's frame
  resize(fitted.width, fitted.height);
  // A window grown wider or taller stays on the screen.
  if (const QScreen* shown = screen()) {
    const QRect area = shown->availableGeometry();
    const int left =
        std::max(area.left(), std::min(frame.left(), area.right() + 1 - fitted.width - margins.width()));
    const int top =
        std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - fitted.height - margins.height()));
    if (left != frame.left() || top != frame.top()) move(left, top);
  }
  update();
}

QImage PreviewWindow::ShownPicture() {
  std::lock_guard lock(mutex_);
  return picture_.copy();
}

PreviewWindow::~PreviewWindow() {
  feed_.stop();
  if (audio_) audio_->stop();
}

void PreviewWindow::OnVideoFrame(double, const RgbFrame& frame) {
  std::lock_guard lock(mutex_);
  if (picture_.width() != frame.width || picture_.height() != frame.height) {
    picture_ = QImage(frame.width, frame.height, QImage::Format_RGB888);
  }
  for (int y = 0; y < frame.height; ++y) {
    std::copy_n(frame.Pixel(0, y), static_cast<std::size_t>(frame.width) * 3, picture_.scanLine(y));
  }
  pictureChanged_ = true;
}

void PreviewWindow::OnAudio(double, const float* samples, std::size_t frames) {
  std::lock_guard lock(mutex_);
  if (!audio_) return;  // no sound device: the play runs silently
  for (std::size_t i = 0; i < frames * kBoardChannels; ++i) {
    sound_.push_back(static_cast<std::int16_t>(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
  }
  while (sound_.size() > kMaxQueuedSamples) sound_.pop_front();
}

void PreviewWindow::OnEnd() {
  std::lock_guard lock(mutex_);
  sound_.clear();
}

void PreviewWindow::FeedSound() {
  if (!audio_ || !device_) return;
  std::vector<std::int16_t> chunk;
  {
    std::lock_guard lock(mutex_);
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
  const ShownSize frame = ShownFrameSize(picture_.width(), picture_.height(), pixelAspect_);
  const QSize shown = QSize(frame.width, frame.height).scaled(size(), Qt::KeepAspectRatio);
  const QRect target(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
  painter.drawImage(target, picture_);
}

}  // namespace vantorelle::shell
