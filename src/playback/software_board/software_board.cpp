#include "playback/software_board/software_board.h"

#include <cmath>

#include "playback/software_board/audio_time_line.h"
#include "playback/software_board/movable_title_task.h"
#include "playback/software_board/slide_title_task.h"
#include "playback/software_board/super_clip.h"
#include "playback/software_board/video_time_line.h"

namespace vantorelle {

SoftwareBoardWiring MakeSoftwareBoardWiring(const SoftwareBoardFormat& format) {
  return SoftwareBoardWiring{std::make_shared<SteadyBoardClock>(), std::make_shared<BoardOutput>(format)};
}

SoftwareBoard::SoftwareBoard(const SoftwareBoardFormat& format)
    : SoftwareBoard(format, MakeSoftwareBoardWiring(format)) {}

SoftwareBoard::SoftwareBoard(const SoftwareBoardFormat& format, SoftwareBoardWiring wiring)
    : format_(format), wiring_(std::move(wiring)) {
  if (!wiring_.clock) wiring_.clock = std::make_shared<SteadyBoardClock>();
  if (!wiring_.output) wiring_.output = std::make_shared<BoardOutput>(format);
}

KlpResult SoftwareBoard::GetChannelValue(std::int32_t channel, std::int32_t index,
                                         std::int32_t& value) {
  if (channel != 0 || index != 14) return KlpInvalidArgument;
  value = channelValue14_;
  return KlpOk;
}

KlpResult SoftwareBoard::SetChannelValue(std::int32_t channel, std::int32_t index,
                                         std::int32_t value) {
  if (channel != 0 || index != 14) return KlpInvalidArgument;
  channelValue14_ = value;
  return KlpOk;
}

KlpResult SoftwareBoard::GetVideoFormat(std::int32_t channel, std::int32_t& width,
                                        std::int32_t& height, double* framesPerSecond) {
  if (channel != 0) return KlpInvalidArgument;
  width = format_.width;
  height = format_.height;
  if (framesPerSecond) *framesPerSecond = format_.framesPerSecond;
  return KlpOk;
}

KlpResult SoftwareBoard::SetChannelFlag(std::int32_t channel, std::int32_t, std::int32_t) {
  return channel == 0 ? KlpOk : KlpInvalidArgument;
}

KlpResult SoftwareBoard::CreateSuperClip(std::uint32_t kind, std::int32_t,
                                         std::unique_ptr<IKlpSuperClip>& clip) {
  if (kind != kSuperClipVideo && kind != kSuperClipAudio) return KlpInvalidArgument;
  clip = std::make_unique<SuperClip>(kind);
  return KlpOk;
}

// The buffer sizes the editor passes are the hardware board's; the software
// board sizes its own queues.
KlpResult SoftwareBoard::CreateVTimeLine(std::int32_t channel, std::uint32_t, std::uint32_t, std::int32_t,
                                         std::unique_ptr<IKlpVTimeLine>& timeLine) {
  if (channel != 0) return KlpInvalidArgument;
  timeLine = std::make_unique<VideoTimeLine>(wiring_.output, wiring_.clock, format_.framesPerSecond,
                                             WindowRect{0, 0, format_.width, format_.height});
  return KlpOk;
}

KlpResult SoftwareBoard::SetChannelMode(std::int32_t channel, std::int32_t mode) {
  if (channel != 0) return KlpInvalidArgument;
  channelMode_ |= mode;
  return KlpOk;
}

KlpResult SoftwareBoard::ResetChannelMode(std::int32_t channel, std::int32_t mode) {
  if (channel != 0) return KlpInvalidArgument;
  channelMode_ &= ~mode;
  return KlpOk;
}

KlpResult SoftwareBoard::CreateAudioTimeLine(std::int32_t channel, std::uint32_t, std::uint32_t, std::int32_t,
                                             std::unique_ptr<IKlpAudioTimeLine>& timeLine) {
  if (channel != 0) return KlpInvalidArgument;
  timeLine = std::make_unique<AudioTimeLine>(wiring_.output, wiring_.clock);
  return KlpOk;
}

KlpResult SoftwareBoard::GetBoardTime(std::int32_t channel, double& seconds) {
  if (channel != 0) return KlpInvalidArgument;
  seconds = wiring_.clock->Now();
  return KlpOk;
}

// The scale and blend values are the hardware board's (the editor passes 1.0
// and 0.5); titles are drawn at their size, blended by their own alpha.
KlpResult SoftwareBoard::CreateMovableTitleTask(std::int32_t channel, const KlpMovableTitleParams& params, double,
                                                double, std::unique_ptr<IKlpMovableTitleTask>& task) {
  if (channel != 0 || !std::isfinite(params.speed) || params.speed < 0.0 || params.width < 0 ||
      params.height < 0 || params.direction < 0 || params.direction > 3) {
    return KlpInvalidArgument;
  }
  task = std::make_unique<MovableTitleTask>(wiring_.output, wiring_.clock, params);
  return KlpOk;
}

KlpResult SoftwareBoard::CreateSlideTitleTask(std::int32_t channel, const KlpSlideTitleParams& params, double,
                                              double, std::unique_ptr<IKlpSlideTitleTask>& task) {
  if (channel != 0 || params.width < 0 || params.height < 0) return KlpInvalidArgument;
  task = std::make_unique<SlideTitleTask>(wiring_.output, wiring_.clock, params);
  return KlpOk;
}

}  // namespace vantorelle
