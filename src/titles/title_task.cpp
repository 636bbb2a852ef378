#include "titles/title_task.h"

#include <algorithm>

#include "model/number_limits.h"
#include "titles/title_speed.h"

namespace vantorelle {

namespace {

constexpr double kBoardScale = 1.0;
constexpr double kBoardBlend = 0.5;
constexpr TimeMs kLastFrameStart = 86'400'000.0;

}  // namespace

CTitleTask::CTitleTask(IKlpBoard& board, const CTrack& track, TimeMs previewTime, double frameDelta)
    : previewTime_(previewTime), frameDelta_(frameDelta > 0.0 ? frameDelta : CurrentVideoStandard().FrameDelta) {
  track_ = &track;
  KlpResult result = KlpFalse;
  if (track.Kind() == TrackKind::TitleMovable) {
    const KlpMovableTitleParams params{CrawlSpeed(),      track.direction,   track.regionLeft, track.regionTop,
                                       track.regionWidth, track.regionHeight, track.precision};
    result = board.CreateMovableTitleTask(0, params, kBoardScale, kBoardBlend, movable_);
  } else if (track.Kind() == TrackKind::TitleSlide) {
    const KlpSlideTitleParams params{track.regionLeft, track.regionTop, track.regionWidth, track.regionHeight};
    result = board.CreateSlideTitleTask(0, params, kBoardScale, kBoardBlend, slide_);
  }
  if (!KlpSucceeded(result) || !HasObject()) {
    track_ = nullptr;
    movable_.reset();
    slide_.reset();
  }
}

double CTitleTask::CrawlSpeed() const {
  if (!track_) return 0.0;
  const double speed = track_->maxSpeed == 0.0 ? kMinTitleSpeed : track_->maxSpeed;
  return speed * 2000.0 / frameDelta_;
}

std::int32_t CTitleTask::CrawlLength() const { return track_ ? track_->TravelSize() : 0; }

KlpResult CTitleTask::PutState(std::int32_t state) {
  if (!track_) return KlpFalse;
  if (track_->Kind() == TrackKind::TitleMovable && movable_) return movable_->PutState(state);
  if (track_->Kind() == TrackKind::TitleSlide && slide_) return slide_->PutState(state);
  return KlpFalse;
}

KlpResult CTitleTask::Fill(TimeMs from, const std::vector<CPlayTask>& titleList, double frameDelta) {
  hasData_ = false;
  if (!track_) return KlpFalse;
  TimeMs position = from;
  for (const CPlayTask& entry : titleList) {
    if (entry.trackKey != track_) continue;
    hasData_ = true;
    const KlpResult result = movable_ ? FillCrawl(position, entry, frameDelta) : FillSlide(position, entry, frameDelta);
    if (!KlpSucceeded(result)) return KlpFalse;
  }
  if (!hasData_) return KlpOk;
  // The last title runs out of the region before the object ends.
  const KlpResult tail = movable_ ? movable_->AddEmpty(CrawlLength()) : slide_->AddEmpty(frameDelta / 1000.0);
  return KlpSucceeded(tail) ? KlpOk : KlpFalse;
}

KlpResult CTitleTask::FillCrawl(TimeMs& position, const CPlayTask& entry, double d) {
  IKlpPlayStillImage* image = entry.movieItem ? entry.movieItem->stillImage.get() : nullptr;
  if (!image) return KlpFalse;
  const double speed = CrawlSpeed();
  const TimeMs entryStart = entry.start * d;
  const auto gap = ClampedCast<std::int32_t>(speed * (entryStart - position) / 1000.0);
  if (gap > 0) {
    if (!KlpSucceeded(movable_->AddEmpty(gap))) return KlpFalse;
  }
  const auto inPixels = ClampedCast<std::int32_t>(speed * entry.in * d / 1000.0);
  const auto lengthPixels = ClampedCast<std::int32_t>(speed * entry.length * d / 1000.0);
  if (!KlpSucceeded(movable_->AddData(*image, inPixels, lengthPixels))) return KlpFalse;
  position = (entry.start + entry.length) * d;
  return KlpOk;
}

KlpResult CTitleTask::FillSlide(TimeMs& position, const CPlayTask& entry, double d) {
  IKlpPlayStillImage* image = entry.movieItem ? entry.movieItem->stillImage.get() : nullptr;
  if (!image) return KlpFalse;
  const double gap = (entry.start * d - position) / 1000.0;
  if (gap > 0.0) {
    if (!KlpSucceeded(slide_->AddEmpty(gap))) return KlpFalse;
  }
  const SlideFades fades = SlideEntryFades(entry, d);
  if (!KlpSucceeded(slide_->AddData(*image, entry.length * d / 1000.0, fades.fadeIn / 1000.0,
                                    fades.fadeOut / 1000.0))) {
    return KlpFalse;
  }
  position = (entry.start + entry.length) * d;
  return KlpOk;
}

SlideFades SlideEntryFades(const CPlayTask& entry, double d) {
  const double length = entry.length * d;
  SlideFades fades;
  fades.fadeIn = entry.fadeIn - entry.in * d;
  if (fades.fadeIn < 0.001) fades.fadeIn = 0.0;
  if (fades.fadeIn > length) fades.fadeIn = length;
  // A source without a length of its own (a still picture) has nothing
  // beyond the entry's end; counting it as 0 would make every fade-out run
  // over the whole picture.
  const std::int32_t sourceEnd = entry.sourceLength != 0 ? entry.sourceLength : entry.in + entry.length;
  fades.fadeOut = entry.fadeOut - sourceEnd * d + entry.in * d + length;
  if (fades.fadeOut < 0.001) fades.fadeOut = 0.0;
  if (fades.fadeIn + fades.fadeOut > length) fades.fadeOut = length - fades.fadeIn;
  return fades;
}

std::string CTitleTask::SlideAt(TimeMs time) const {
  if (!track_ || track_->clips.empty()) return {};
  const double frameDelta = frameDelta_;
  const TimeMs t = std::clamp(SnapToFrameFloor(time), 0.0, kLastFrameStart - frameDelta);
  for (const auto& clip : track_->clips) {
    if (clip->start < t + frameDelta && clip->End() > t) return clip->source ? clip->source->path : std::string();
  }
  return {};
}

}  // namespace vantorelle
