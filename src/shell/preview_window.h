// The board's pictures as they play, scaled to fit the widget with their
// shape kept (black around), and its sound through the desktop's sound
// device (or nowhere, silently, without one). The monitor dock holds it.
#pragma once

#include <QAudioSink>
#include <QImage>
#include <QWidget>
#include <deque>
#include <memory>
#include <mutex>

#include "playback/software_board/output_sink.h"

class QIODevice;
class QTimer;

namespace vantorelle::shell {

class PreviewWindow : public QWidget, public IOutputSink {
 public:
  // For frames of this size and pixel shape (width over height of one pixel).
  PreviewWindow(int width, int height, double pixelAspect, QWidget* parent = nullptr);
  ~PreviewWindow() override;

  // From the board's output thread.
  void OnVideoFrame(double seconds, const RgbFrame& frame) override;
  void OnAudio(double seconds, const float* interleavedStereo, std::size_t frames) override;
  void OnEnd() override;
  // A picture stays shown until another comes.
  bool TakesRepeatedPictures() const override { return false; }

  bool HasSoundDevice() const { return audio_ != nullptr; }
  // Takes frames of another size or shape; black until the first comes.
  void SetFrameFormat(int width, int height, double pixelAspect);
  // The picture shown now, at the frame's size.
  QImage ShownPicture();
  // Where in the widget the picture is drawn.
  QRect PictureRect();
  // Pictures received so far (a new picture is a repaint, nothing else).
  std::int64_t PicturesReceived();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect PictureRectLocked() const;  // with mutex_ held
  // Runs only while sound waits for the device.
  void FeedSound();

  std::mutex mutex_;
  QImage picture_;
  double pixelAspect_ = 1.0;
  bool repaintAsked_ = false;
  std::int64_t picturesReceived_ = 0;
  std::deque<std::int16_t> sound_;  // interleaved stereo, 48 kHz
  bool feedAsked_ = false;
  std::unique_ptr<QAudioSink> audio_;
  QIODevice* device_ = nullptr;
  QTimer* feed_ = nullptr;
};

}  // namespace vantorelle::shell
