// The software board's output stage: the time lines and title tasks that
// live on the board register here, and each output frame is made from them
// (the video lines' pictures in their windows, each laid over the lines made
// before it by its opacity where it has any, the titles laid over in the
// order they were made) with the sound of the playing audio lines mixed for
// the same frame, and handed to the sink. Frame n of a play goes out at n /
// frames per second, its sound from the sample after the previous frame's.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "playback/software_board/audio_mixer.h"
#include "playback/software_board/output_sink.h"
#include "playback/software_board/rgb_frame.h"
#include "playback/software_board/software_board_format.h"
#include "playback/software_board/yuv_frame.h"

namespace vantorelle {

class VideoTimeLine;
class AudioTimeLine;
class TitleLayer;
struct LinePicture;

class BoardOutput {
 public:
  explicit BoardOutput(const SoftwareBoardFormat& format);

  const SoftwareBoardFormat& Format() const { return format_; }
  // A new format for the frames made from now on, between projects: refused
  // (false, nothing changed) while any time line or title is registered; a
  // play left marked as going is ended. A pump driving this output reads
  // the rate when it starts, so it is stopped around the change.
  bool SetFormat(const SoftwareBoardFormat& format);
  // Null: the output goes nowhere. The sink must outlive its use here. Set
  // it before the lines start decoding: the picture it wants (RGB or YUV)
  // is what their pictures are made in.
  void SetSink(IOutputSink* sink);
  // The YUV the sink takes; none: RGB.
  std::optional<YuvFormat> YuvPictures() const;

  // A play runs while any video or audio time line plays. Makes the output
  // frame for the board time and its sound; false when nothing plays, and a
  // play that was going is then ended. waitForDecoders: pictures are waited
  // for (rendering to a file); otherwise a late picture leaves the one before.
  bool RenderAt(double boardTime, bool waitForDecoders);
  // Ends a play that is going: the sink hears OnEnd.
  void EndPlay();
  // The most content any playing video or audio line has left at the board time.
  double ContentLeftAt(double boardTime) const;
  // Frames made in the current (or last) play.
  std::int64_t FramesOutput() const;
  // The video lines registered now (for measuring; not from within the sink).
  std::vector<VideoTimeLine*> VideoLines() const;

  // Registration by the components themselves.
  void Add(VideoTimeLine* line);
  void Remove(VideoTimeLine* line);
  void Add(AudioTimeLine* line);
  void Remove(AudioTimeLine* line);
  void Add(TitleLayer* layer);
  void Remove(TitleLayer* layer);

 private:
  bool AnyPlaying() const;  // with mutex_ held
  // False when the frame is the one composed before (the same pictures and
  // no title), which is then left as it is.
  bool ComposeRgb(double boardTime, bool waitForDecoders);
  // The output frame: a line's picture passed on as it is where it covers
  // the frame and nothing is laid over it.
  const YuvFrame& ComposeYuv(double boardTime, bool waitForDecoders);
  void EndPlayLocked();

  SoftwareBoardFormat format_;
  mutable std::mutex mutex_;
  IOutputSink* sink_ = nullptr;
  std::vector<VideoTimeLine*> video_;
  std::vector<AudioTimeLine*> audio_;
  std::vector<TitleLayer*> titles_;
  bool inPlay_ = false;
  std::int64_t frames_ = 0;
  std::int64_t samples_ = 0;
  AudioMixer mixer_;
  std::vector<float> lineSound_;
  RgbFrame frame_;  // the output frame, made again in place for each one
  // The lines' pictures in frame_, held so that no later one can take an
  // address of theirs and pass for them; and this frame's, before composing.
  std::vector<std::shared_ptr<const LinePicture>> composedFrom_;
  std::vector<std::shared_ptr<const LinePicture>> linePictures_;
  bool composedWithTitles_ = false;
  bool composedValid_ = false;  // frame_ is what composedFrom_ makes
  mutable std::mutex yuvMutex_;  // guards yuv_ for YuvPictures; it is written under both
  std::optional<YuvFormat> yuv_;
  YuvFrame yuvFrame_;  // the YUV output frame where pictures are laid over others
  YuvFrame yuvBlack_;  // the YUV output frame where nothing shows
  std::vector<std::shared_ptr<const LinePicture>> shown_;  // held until the sink has had them
};

// Sample frames of sound that belong to output frame n: the frames' times on
// the 48 kHz grid, so that 29.97 frames a second alternate 1601 and 1602.
std::int64_t SoundFramesBefore(std::int64_t frame, double framesPerSecond);

}  // namespace vantorelle
