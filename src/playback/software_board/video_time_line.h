// The software board's video time line: empty stretches (transparent, so
// black unless a line below shows there) and super clips one after another
// (movie stretches and stills). From Prepared on, a worker decodes the frames of
// the output frame grid ahead into a bounded queue; while playing, the output
// takes for each output frame time the frame of the piece under it. A frame
// the worker has not made in time is not waited for (the picture before it
// stays), and past the end of its content the line keeps its last picture.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "playback/klp_interfaces.h"
#include "playback/software_board/decode_ahead.h"
#include "playback/software_board/play_position.h"
#include "playback/software_board/rgb_frame.h"
#include "playback/software_board/time_line_content.h"
#include "playback/software_board/yuv_frame.h"

namespace vantorelle {

class BoardOutput;
class MovieFileDecoder;

// The threads each movie of a time line decodes with: one per core of the
// machine, at most kMostPlaybackDecodingThreads (more gain little for one
// picture stream and cost memory for the frames they hold).
inline constexpr int kMostPlaybackDecodingThreads = 8;
int PlaybackDecodingThreads();

// A movie's picture decoder as a time line opens it, decoding with threads
// threads (with one when its decoder cannot be opened so); null when the file
// cannot be opened or holds no pictures.
std::unique_ptr<MovieFileDecoder> OpenPlaybackDecoder(const std::string& path, int threads);

struct WindowRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// A line's picture at its window's size: RGB, or YUV when the output
// composes in YUV (in the output's format when opaque, else 4:4:4 with its
// opacity). A clear picture shows nothing: the lines below show through.
struct LinePicture {
  RgbFrame rgb;
  YuvFrame yuv;
  bool clear = false;
};
using SharedPicture = std::shared_ptr<const LinePicture>;

class VideoTimeLine final : public IKlpVTimeLine {
 public:
  // The window starts as the whole output frame.
  VideoTimeLine(std::shared_ptr<BoardOutput> output, std::shared_ptr<const BoardClock> clock, double framesPerSecond,
                WindowRect window);
  ~VideoTimeLine() override;

  KlpResult PutState(std::int32_t state) override;
  KlpResult GetRestTime(double& seconds) override;
  // KlpInvalidArgument for a stretch that is not more than 0 seconds.
  KlpResult AddEmpty(double seconds) override;
  // The clip must be the software board's own video super clip.
  KlpResult AddMovie(IKlpSuperClip& clip) override;
  // Empties the line and stops it.
  KlpResult Reset(std::int32_t reserved) override;
  // Where in the output frame the pictures go, scaled to it; the width and
  // height must be more than 0.
  KlpResult SetWindow(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) override;

  // For the board's output.
  bool Playing() const;
  WindowRect Window() const;
  // The picture at a board time; null when the line has shown none yet.
  // wait: block until the decoder has made it (rendering to a file).
  SharedPicture PictureAt(double boardTime, bool wait);
  // Content not yet output by the board time (negative past the end).
  double RestAt(double boardTime) const;
  // Frames decoded ahead and not yet shown (0 when not decoding).
  std::size_t ReadyAhead() const;

 private:
  void StartDecoding();  // with mutex_ held

  std::shared_ptr<BoardOutput> output_;
  double framesPerSecond_;
  mutable std::mutex mutex_;
  PlayPosition position_;
  WindowRect window_;
  TimeLineContent content_;
  std::unique_ptr<DecodeAhead<SharedPicture>> ahead_;
  SharedPicture last_;
  std::int64_t lastIndex_ = -1;
};

}  // namespace vantorelle
