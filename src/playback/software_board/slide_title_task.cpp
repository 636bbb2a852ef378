#include "playback/software_board/slide_title_task.h"

#include <algorithm>
#include <cmath>

#include "playback/software_board/board_output.h"
#include "playback/software_board/title_picture_fit.h"

namespace vantorelle {
namespace {

bool Length(double seconds) { return std::isfinite(seconds) && seconds > 0.0; }
bool Fade(double seconds) { return std::isfinite(seconds) && seconds >= 0.0; }

}  // namespace

SlideTitleTask::SlideTitleTask(std::shared_ptr<BoardOutput> output, std::shared_ptr<const BoardClock> clock,
                               const KlpSlideTitleParams& params)
    : output_(std::move(output)), params_(params), position_(std::move(clock)) {
  output_->Add(this);
}

SlideTitleTask::~SlideTitleTask() { output_->Remove(this); }

KlpResult SlideTitleTask::PutState(std::int32_t state) {
  std::lock_guard lock(mutex_);
  return position_.PutState(state, true);
}

KlpResult SlideTitleTask::Append(Slide slide, bool fromNow) {
  std::lock_guard lock(mutex_);
  slide.start = fromNow ? std::max(length_, position_.Seconds()) : length_;
  length_ = slide.start + slide.length;
  slides_.push_back(std::move(slide));
  return KlpOk;
}

KlpResult SlideTitleTask::TakePicture(IKlpPlayStillImage& image, Slide& slide) const {
  SharedTitleImage picture;
  const KlpResult result = TitleImageOf(image, picture);
  if (result != KlpOk) return result;
  const TitleRect region{params_.left, params_.top, params_.width, params_.height};
  slide.place = TitlePicturePlace(picture->width, picture->height, region);
  slide.picture = FitTitlePicture(picture, region);
  return KlpOk;
}

KlpResult SlideTitleTask::AddImage(IKlpPlayStillImage& image, double seconds) {
  if (!Length(seconds)) return KlpInvalidArgument;
  Slide slide;
  slide.length = seconds;
  const KlpResult result = TakePicture(image, slide);
  return result == KlpOk ? Append(std::move(slide), true) : result;
}

KlpResult SlideTitleTask::AddEmpty(double seconds) {
  if (!Length(seconds)) return KlpInvalidArgument;
  Slide slide;
  slide.length = seconds;
  return Append(std::move(slide), false);
}

KlpResult SlideTitleTask::AddData(IKlpPlayStillImage& image, double lengthS, double fadeInS, double fadeOutS) {
  if (!Length(lengthS) || !Fade(fadeInS) || !Fade(fadeOutS)) return KlpInvalidArgument;
  Slide slide;
  slide.length = lengthS;
  slide.fadeIn = std::min(fadeInS, lengthS);
  slide.fadeOut = std::min(fadeOutS, lengthS - slide.fadeIn);
  const KlpResult result = TakePicture(image, slide);
  return result == KlpOk ? Append(std::move(slide), false) : result;
}

KlpResult SlideTitleTask::GetRestTime(double& seconds) {
  std::lock_guard lock(mutex_);
  seconds = length_ - position_.Seconds();
  return KlpOk;
}

bool SlideTitleTask::Active() const {
  std::lock_guard lock(mutex_);
  return position_.State() == kPlayPlaying || position_.State() == kPlayPaused;
}

const SlideTitleTask::Slide* SlideTitleTask::SlideAt(double seconds, double& opacity) const {
  opacity = 0.0;
  if (slides_.empty() || seconds < 0.0) return nullptr;
  auto after = std::upper_bound(slides_.begin(), slides_.end(), seconds,
                                [](double s, const Slide& slide) { return s < slide.start; });
  if (after == slides_.begin()) return nullptr;  // a gap AddImage left before its picture
  const Slide& slide = *std::prev(after);
  if (!slide.picture) return nullptr;
  const double t = std::min(seconds - slide.start, slide.length);
  if (t < 0.0) return nullptr;
  opacity = 1.0;
  if (slide.fadeIn > 0.0) opacity *= std::clamp(t / slide.fadeIn, 0.0, 1.0);
  if (slide.fadeOut > 0.0) opacity *= std::clamp((slide.length - t) / slide.fadeOut, 0.0, 1.0);
  return &slide;
}

double SlideTitleTask::OpacityAt(double boardTime) const {
  std::lock_guard lock(mutex_);
  double opacity = 0.0;
  SlideAt(position_.SecondsAt(boardTime), opacity);
  return opacity;
}

bool SlideTitleTask::DrawsAt(double boardTime) {
  std::lock_guard lock(mutex_);
  double opacity = 0.0;
  return SlideAt(position_.SecondsAt(boardTime), opacity) != nullptr && opacity > 0.0;
}

void SlideTitleTask::DrawAt(double boardTime, RgbFrame& frame) {
  std::lock_guard lock(mutex_);
  double opacity = 0.0;
  const Slide* slide = SlideAt(position_.SecondsAt(boardTime), opacity);
  if (!slide) return;
  const TitleRect region{params_.left, params_.top, params_.width, params_.height};
  DrawTitleImage(*slide->picture, slide->place.left, slide->place.top, region, opacity, frame);
}

void SlideTitleTask::DrawAt(double boardTime, YuvFrame& frame) {
  std::lock_guard lock(mutex_);
  double opacity = 0.0;
  const Slide* slide = SlideAt(position_.SecondsAt(boardTime), opacity);
  if (!slide || !(opacity > 0.0)) return;
  const TitleRect region{params_.left, params_.top, params_.width, params_.height};
  DrawTitleImage(TitleImageAsYuv(*slide->picture, frame.format, slide->yuv), slide->place.left, slide->place.top,
                 region, opacity, frame);
}

}  // namespace vantorelle
