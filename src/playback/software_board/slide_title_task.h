// The software board's slide show: title images shown one after another in
// the title region (from its top left corner, or scaled down into it when
// larger, see title_picture_fit.h), each faded in and out over its own fade
// times, with empty stretches between them. Past
// the end of its content the task keeps showing what ended it, so a picture
// sent for the preview stays up.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "playback/klp_interfaces.h"
#include "playback/software_board/play_position.h"
#include "playback/software_board/title_layer.h"

namespace vantorelle {

class BoardOutput;

class SlideTitleTask final : public IKlpSlideTitleTask, public TitleLayer {
 public:
  SlideTitleTask(std::shared_ptr<BoardOutput> output, std::shared_ptr<const BoardClock> clock, const KlpSlideTitleParams& params);
  ~SlideTitleTask() override;

  KlpResult PutState(std::int32_t state) override;
  // For the preview: the image without fades, from the end of the content or
  // from now when the content has already run out.
  KlpResult AddImage(IKlpPlayStillImage& image, double seconds) override;
  KlpResult AddEmpty(double seconds) override;
  KlpResult GetRestTime(double& seconds) override;
  // Fades longer than the image together are cut to its length.
  KlpResult AddData(IKlpPlayStillImage& image, double lengthS, double fadeInS, double fadeOutS) override;

  bool Active() const override;

  bool DrawsAt(double boardTime) override;
  void DrawAt(double boardTime, RgbFrame& frame) override;
  void DrawAt(double boardTime, YuvFrame& frame) override;
  // The image's weight at a board time (0 when none shows), for tests.
  double OpacityAt(double boardTime) const;

 private:
  struct Slide {
    double start = 0.0;
    double length = 0.0;
    double fadeIn = 0.0;
    double fadeOut = 0.0;
    SharedTitleImage picture;  // null: empty; fitted to the region
    TitleRect place;           // where the picture goes in the frame
    mutable SharedYuvTitleImage yuv;  // the picture for a YUV output, made at its first frame
  };
  // The slide and its opacity at a position; with mutex_ held.
  const Slide* SlideAt(double seconds, double& opacity) const;
  KlpResult Append(Slide slide, bool fromNow);
  // The image's picture fitted into the region, with its place.
  KlpResult TakePicture(IKlpPlayStillImage& image, Slide& slide) const;

  std::shared_ptr<BoardOutput> output_;
  KlpSlideTitleParams params_;
  mutable std::mutex mutex_;
  PlayPosition position_;
  std::vector<Slide> slides_;
  double length_ = 0.0;
};

}  // namespace vantorelle
