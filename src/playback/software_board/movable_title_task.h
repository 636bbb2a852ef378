// The software board's crawl: title images laid one after another on a strip
// (AddEmpty and AddData lengths in pixels along the direction of travel). The
// title region is a window on the strip that moves on at the crawl speed from
// the strip's start when the task plays, so the strip enters the region at
// the side it moves away from: at the right for "To Left" (0), at the left
// for "To Right" (1), at the bottom for "To Up" (2), at the top for "To Down"
// (3). Images keep their orientation and lie against the region's top (left
// for vertical crawls).
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "playback/klp_interfaces.h"
#include "playback/software_board/play_position.h"
#include "playback/software_board/title_layer.h"

namespace vantorelle {

class BoardOutput;

class MovableTitleTask final : public IKlpMovableTitleTask, public TitleLayer {
 public:
  MovableTitleTask(std::shared_ptr<BoardOutput> output, std::shared_ptr<const BoardClock> clock, const KlpMovableTitleParams& params);
  ~MovableTitleTask() override;

  KlpResult PutState(std::int32_t state) override;
  // Pixels must be more than 0.
  KlpResult AddEmpty(std::int32_t pixels) override;
  // Shows the image's pixels from inPixels on (counted in the direction of
  // travel) for lengthPixels of the strip; the image must be the board's own.
  KlpResult AddData(IKlpPlayStillImage& image, std::int32_t inPixels, std::int32_t lengthPixels) override;

  bool Active() const override;

  bool DrawsAt(double boardTime) override;
  void DrawAt(double boardTime, RgbFrame& frame) override;
  void DrawAt(double boardTime, YuvFrame& frame) override;
  // How far the window has moved along the strip, in whole pixels.
  std::int64_t TravelAt(double boardTime) const;

 private:
  struct Piece {
    std::int64_t start = 0;
    std::int32_t in = 0;
    std::int32_t length = 0;
    SharedTitleImage picture;  // null: empty
    SharedYuvTitleImage yuv;   // the picture for a YUV output, made at its first frame
  };
  // Calls draw(piece, x, y, clip) for each piece in view at the board time,
  // with its image's top left corner at (x, y).
  template <typename Draw>
  void Place(double boardTime, Draw draw);

  std::shared_ptr<BoardOutput> output_;
  KlpMovableTitleParams params_;
  mutable std::mutex mutex_;
  PlayPosition position_;
  std::vector<Piece> pieces_;
  std::int64_t length_ = 0;
};

}  // namespace vantorelle
