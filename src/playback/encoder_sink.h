// An output sink that writes what the board plays into a media file on a
// thread of its own, so that encoding runs beside decoding and composing. The
// board's frames are copied into a short queue (a few frames: the board waits
// when the encoder falls behind, and memory stays bounded); the encoder takes
// them in order. The first failed write is kept and everything after it is
// dropped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "playback/ffmpeg_handles.h"
#include "playback/media_file_encoder.h"
#include "playback/software_board/output_sink.h"

namespace vantorelle {

// The YUV the encoder of a file takes, for the board to compose in: 4:2:0
// limited range in the file's matrix for H.264, VP9 and ProRes (which the
// encoder makes 4:2:2 10-bit), full-range BT.601 4:2:2 for MJPEG.
YuvFormat EncoderPictureFormat(const MediaFileSettings& settings);

class EncoderSink final : public IOutputSink {
 public:
  // Frames waiting for the encoder at most.
  static constexpr std::size_t kQueuedFrames = 4;

  // pictures: the YUV the board is asked to make; none: RGB frames, which
  // the encoder converts. The encoder must outlive the sink.
  EncoderSink(MediaFileEncoder& encoder, std::optional<YuvFormat> pictures);
  ~EncoderSink() override;
  EncoderSink(const EncoderSink&) = delete;
  EncoderSink& operator=(const EncoderSink&) = delete;

  std::optional<YuvFormat> YuvWanted() const override { return pictures_; }
  void OnVideoFrame(double seconds, const RgbFrame& frame) override;
  void OnYuvFrame(double seconds, const YuvFrame& frame) override;
  void OnAudio(double seconds, const float* interleavedStereo, std::size_t frames) override;
  void OnEnd() override {}

  // Waits until everything given has been handed to the encoder and stops
  // the thread; false when a write failed (the encoder's Error() says why).
  bool Finish();
  // Drops what waits to be written and stops the thread once the picture in
  // hand is written: a cancelled export stops at once instead of encoding
  // the queue first.
  void Discard();
  // From any thread: what waits is dropped and nothing more is taken, so a
  // play waiting for room in the queue goes on at once. Discard or Finish
  // still ends the thread.
  void Interrupt();
  // False once a write failed.
  bool Ok() const;

 private:
  struct Item {
    AvFramePtr yuv;                      // a YUV picture
    std::vector<std::uint8_t> rgb;       // or an RGB picture
    std::vector<float> sound;            // or interleaved stereo samples
    enum class Kind { Yuv, Rgb, Sound } kind = Kind::Sound;
  };
  void Push(Item item, bool picture);
  void Run();
  AvFramePtr FreeYuvFrame(const YuvFrame& like);

  MediaFileEncoder& encoder_;
  std::optional<YuvFormat> pictures_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Item> queue_;
  std::size_t queuedPictures_ = 0;
  std::vector<AvFramePtr> freeFrames_;  // written pictures' buffers, used again
  std::vector<std::vector<std::uint8_t>> freeRgb_;
  bool stopping_ = false;
  bool ok_ = true;
  std::thread thread_;
};

}  // namespace vantorelle
