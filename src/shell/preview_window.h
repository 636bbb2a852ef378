// The preview window: the board's pictures as they play, and its sound
// through the desktop's sound device (or nowhere, silently, without one).
#pragma once

#include <QAudioSink>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <memory>
#include <mutex>

#include "playback/software_board/output_sink.h"

class QIODevice;

namespace vantorelle::shell {

class PreviewWindow : public QWidget, public IOutputSink {
 public:
  // A window for frames of this size and pixel shape (width over height of
  // one pixel), sized to fit the screen.
  PreviewWindow(int width, int height, double pixelAspect, QWidget* parent = nullptr);
  ~PreviewWindow() override;

  // From the board's output thread.
  void OnVideoFrame(double seconds, const RgbFrame& frame) override;
  void OnAudio(double seconds, const float* interleavedStereo, std::size_t frames) override;
  void OnEnd() override;
  // A picture stays shown until another comes.
  bool TakesRepeatedPictures() const override { return false; }

  bool HasSoundDevice() const { return audio_ != nullptr; }
  // Takes frames of another size or shape: the window is sized to them again.
  void SetFrameFormat(int width, int height, double pixelAspect);
  // The picture shown now, at the frame's size.
  QImage ShownPicture();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void FeedSound();

  std::mutex mutex_;
  QImage picture_;
  double pixelAspect_ = 1.0;
  bool pictureChanged_ = false;
  std::deque<std::int16_t> sound_;  // interleaved stereo, 48 kHz
  std::unique_ptr<QAudioSink> audio_;
  QIODevice* device_ = nullptr;
  QTimer feed_;
};

}  // namespace vantorelle::shell
