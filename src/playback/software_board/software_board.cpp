#include "playback/software_board/software_board.h"

namespace vantorelle {

SoftwareBoard::SoftwareBoard(const SoftwareBoardFormat& format)
    : format_(format), clockOrigin_(std::chrono::steady_clock::now()) {}

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

KlpResult SoftwareBoard::CreateSuperClip(std::uint32_t, std::int32_t,
                                         std::unique_ptr<IKlpSuperClip>&) {
  return KlpNotImplemented;
}

KlpResult SoftwareBoard::CreateVTimeLine(std::int32_t, std::uint32_t, std::uint32_t, std::int32_t,
                                         std::unique_ptr<IKlpVTimeLine>&) {
  return KlpNotImplemented;
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

KlpResult SoftwareBoard::CreateAudioTimeLine(std::int32_t, std::uint32_t, std::uint32_t,
                                             std::int32_t, std::unique_ptr<IKlpAudioTimeLine>&) {
  return KlpNotImplemented;
}

KlpResult SoftwareBoard::GetBoardTime(std::int32_t channel, double& seconds) {
  if (channel != 0) return KlpInvalidArgument;
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - clockOrigin_).count();
  return KlpOk;
}

KlpResult SoftwareBoard::CreateMovableTitleTask(std::int32_t, const KlpMovableTitleParams&, double,
                                                double, std::unique_ptr<IKlpMovableTitleTask>&) {
  return KlpNotImplemented;
}

KlpResult SoftwareBoard::CreateSlideTitleTask(std::int32_t, const KlpSlideTitleParams&, double,
                                              double, std::unique_ptr<IKlpSlideTitleTask>&) {
  return KlpNotImplemented;
}

}  // namespace vantorelle
