// Where the board's output goes: the preview window, a file encoder or a
// test's capture. Times are seconds from the start of the play, on the
// output's own frame and sample grid. Calls come from one thread at a time,
// pictures and sound in time order, each audio block right after the picture
// it belongs to.
#pragma once

#include <cstddef>
#include <optional>

#include "playback/software_board/rgb_frame.h"
#include "playback/software_board/yuv_frame.h"

namespace vantorelle {

// The board's sound: 48 kHz, two channels, float samples in [-1, 1].
inline constexpr int kBoardSampleRate = 48000;
inline constexpr int kBoardChannels = 2;

class IOutputSink {
 public:
  virtual ~IOutputSink() = default;
  virtual void OnVideoFrame(double seconds, const RgbFrame& frame) = 0;
  // A sink that encodes may take planar YUV instead: the board then composes
  // in that format and calls OnYuvFrame in place of OnVideoFrame. Asked when
  // the sink is set, so it holds for the plays that follow.
  virtual std::optional<YuvFormat> YuvWanted() const { return std::nullopt; }
  virtual void OnYuvFrame(double /*seconds*/, const YuvFrame& /*frame*/) {}
  // A sink that only shows pictures (the preview) needs no RGB frame equal
  // to the one before: the board then neither makes nor sends it, so an idle
  // preview costs next to nothing. Its sound still comes every frame.
  virtual bool TakesRepeatedPictures() const { return true; }
  // frames sample frames, left and right interleaved.
  virtual void OnAudio(double seconds, const float* interleavedStereo, std::size_t frames) = 0;
  // Nothing plays any more; the output goes quiet until the next play.
  virtual void OnEnd() = 0;
};

}  // namespace vantorelle
