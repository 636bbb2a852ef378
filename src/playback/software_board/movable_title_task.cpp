#include "playback/software_board/movable_title_task.h"

#include <cmath>

#include "playback/software_board/board_output.h"

namespace vantorelle {
namespace {

bool Horizontal(std::int32_t direction) { return direction == 0 || direction == 1; }
bool Reversed(std::int32_t direction) { return direction == 1 || direction == 3; }

}  // namespace

MovableTitleTask::MovableTitleTask(std::shared_ptr<BoardOutput> output, std::shared_ptr<const BoardClock> clock,
                                   const KlpMovableTitleParams& params)
    : output_(std::move(output)), params_(params), position_(std::move(clock)) {
  output_->Add(this);
}

MovableTitleTask::~MovableTitleTask() { output_->Remove(this); }

KlpResult MovableTitleTask::PutState(std::int32_t state) {
  std::lock_guard lock(mutex_);
  return position_.PutState(state, true);
}

KlpResult MovableTitleTask::AddEmpty(std::int32_t pixels) {
  if (pixels <= 0) return KlpInvalidArgument;
  std::lock_guard lock(mutex_);
  pieces_.push_back(Piece{length_, 0, pixels, nullptr, nullptr});
  length_ += pixels;
  return KlpOk;
}

KlpResult MovableTitleTask::AddData(IKlpPlayStillImage& image, std::int32_t inPixels, std::int32_t lengthPixels) {
  if (inPixels < 0 || lengthPixels <= 0) return KlpInvalidArgument;
  SharedTitleImage picture;
  const KlpResult result = TitleImageOf(image, picture);
  if (result != KlpOk) return result;
  std::lock_guard lock(mutex_);
  pieces_.push_back(Piece{length_, inPixels, lengthPixels, std::move(picture), nullptr});
  length_ += lengthPixels;
  return KlpOk;
}

bool MovableTitleTask::Active() const {
  std::lock_guard lock(mutex_);
  return position_.State() == kPlayPlaying || position_.State() == kPlayPaused;
}

std::int64_t MovableTitleTask::TravelAt(double boardTime) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::int64_t>(std::floor(position_.SecondsAt(boardTime) * params_.speed + 1e-6));
}

template <typename Draw>
void MovableTitleTask::Place(double boardTime, Draw draw) {
  const std::int64_t travel = TravelAt(boardTime);
  std::lock_guard lock(mutex_);
  const TitleRect region{params_.left, params_.top, params_.width, params_.height};
  const bool horizontal = Horizontal(params_.direction);
  const std::int64_t span = horizontal ? params_.width : params_.height;
  if (span <= 0 || !(params_.direction >= 0 && params_.direction <= 3)) return;
  const bool reversed = Reversed(params_.direction);
  for (Piece& piece : pieces_) {
    if (!piece.picture || piece.start + piece.length <= travel || piece.start >= travel + span) continue;
    const RgbaPicture& picture = *piece.picture;
    const std::int64_t size = horizontal ? picture.width : picture.height;
    // Offsets along the travel axis from the region's leading side.
    const std::int64_t pieceFrom = piece.start - travel;  // where the piece's first strip pixel is
    std::int64_t imageAt = pieceFrom - piece.in;          // where the image's first travel pixel is
    std::int64_t clipFrom = pieceFrom;
    std::int64_t clipTo = pieceFrom + piece.length;
    if (reversed) {
      // Counted from the far side: the image's trailing edge leads.
      imageAt = span - imageAt - size;
      const std::int64_t from = span - clipTo;
      clipTo = span - clipFrom;
      clipFrom = from;
    }
    TitleRect clip = region;
    std::int32_t x = region.left;
    std::int32_t y = region.top;
    if (horizontal) {
      x = static_cast<std::int32_t>(region.left + imageAt);
      clip.left = static_cast<std::int32_t>(region.left + std::max<std::int64_t>(clipFrom, 0));
      clip.width = static_cast<std::int32_t>(std::min<std::int64_t>(clipTo, span) - std::max<std::int64_t>(clipFrom, 0));
    } else {
      y = static_cast<std::int32_t>(region.top + imageAt);
      clip.top = static_cast<std::int32_t>(region.top + std::max<std::int64_t>(clipFrom, 0));
      clip.height = static_cast<std::int32_t>(std::min<std::int64_t>(clipTo, span) - std::max<std::int64_t>(clipFrom, 0));
    }
    draw(piece, x, y, clip);
  }
}

bool MovableTitleTask::DrawsAt(double boardTime) {
  bool draws = false;
  Place(boardTime, [&](Piece&, std::int32_t, std::int32_t, const TitleRect&) { draws = true; });
  return draws;
}

void MovableTitleTask::DrawAt(double boardTime, RgbFrame& frame) {
  Place(boardTime, [&](Piece& piece, std::int32_t x, std::int32_t y, const TitleRect& clip) {
    DrawTitleImage(*piece.picture, x, y, clip, 1.0, frame);
  });
}

void MovableTitleTask::DrawAt(double boardTime, YuvFrame& frame) {
  Place(boardTime, [&](Piece& piece, std::int32_t x, std::int32_t y, const TitleRect& clip) {
    DrawTitleImage(TitleImageAsYuv(*piece.picture, frame.format, piece.yuv), x, y, clip, 1.0, frame);
  });
}

}  // namespace vantorelle
