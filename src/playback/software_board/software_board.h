// The software board object: its video format, channel values and clock.
// Time lines and title tasks are added with the board's output side.
#pragma once

#include <chrono>

#include "playback/klp_interfaces.h"
#include "playback/software_board/software_board_format.h"

namespace vantorelle {

class SoftwareBoard final : public IKlpBoard {
 public:
  explicit SoftwareBoard(const SoftwareBoardFormat& format);

  KlpResult GetChannelValue(std::int32_t channel, std::int32_t index, std::int32_t& value) override;
  KlpResult SetChannelValue(std::int32_t channel, std::int32_t index, std::int32_t value) override;
  KlpResult GetVideoFormat(std::int32_t channel, std::int32_t& width, std::int32_t& height,
                           double* framesPerSecond) override;
  KlpResult SetChannelFlag(std::int32_t channel, std::int32_t flag, std::int32_t value) override;
  KlpResult CreateSuperClip(std::uint32_t kind, std::int32_t param,
                            std::unique_ptr<IKlpSuperClip>& clip) override;
  KlpResult CreateVTimeLine(std::int32_t channel, std::uint32_t bufferSize, std::uint32_t lowWater,
                            std::int32_t reserved, std::unique_ptr<IKlpVTimeLine>& timeLine) override;
  KlpResult SetChannelMode(std::int32_t channel, std::int32_t mode) override;
  KlpResult ResetChannelMode(std::int32_t channel, std::int32_t mode) override;
  KlpResult CreateAudioTimeLine(std::int32_t channel, std::uint32_t bufferSize,
                                std::uint32_t lowWater, std::int32_t reserved,
                                std::unique_ptr<IKlpAudioTimeLine>& timeLine) override;
  KlpResult GetBoardTime(std::int32_t channel, double& seconds) override;
  KlpResult CreateMovableTitleTask(std::int32_t channel, const KlpMovableTitleParams& params,
                                   double scale, double blend,
                                   std::unique_ptr<IKlpMovableTitleTask>& task) override;
  KlpResult CreateSlideTitleTask(std::int32_t channel, const KlpSlideTitleParams& params,
                                 double scale, double blend,
                                 std::unique_ptr<IKlpSlideTitleTask>& task) override;

 private:
  SoftwareBoardFormat format_;
  std::int32_t channelValue14_ = 0;
  std::int32_t channelMode_ = 0;
  std::chrono::steady_clock::time_point clockOrigin_;
};

}  // namespace vantorelle
