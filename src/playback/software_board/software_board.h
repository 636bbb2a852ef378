// The software board object: its video format, channel values and clock,
// and the time lines, super clips and title tasks it makes, which play out
// through the output stage of its wiring.
#pragma once

#include "playback/klp_interfaces.h"
#include "playback/software_board/software_board_format.h"
#include "playback/software_board/software_board_wiring.h"

namespace vantorelle {

class SoftwareBoard final : public IKlpBoard {
 public:
  // A board of its own: a steady clock and an output without a sink.
  explicit SoftwareBoard(const SoftwareBoardFormat& format);
  SoftwareBoard(const SoftwareBoardFormat& format, SoftwareBoardWiring wiring);

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

  BoardOutput& Output() { return *wiring_.output; }

 private:
  SoftwareBoardFormat format_;
  std::int32_t channelValue14_ = 0;
  std::int32_t channelMode_ = 0;
  SoftwareBoardWiring wiring_;
};

}  // namespace vantorelle
