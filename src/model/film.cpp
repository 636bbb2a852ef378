#include "model/film.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "model/track.h"

namespace vantorelle {

CFilm::CFilm(CSrc* s) : source(s) {
  if (s) sourceLength = duration = s->duration;
}

std::unique_ptr<CFilm> CFilm::Copy() const {
  auto copy = std::make_unique<CFilm>();
  copy->source = source;
  copy->name = name;
  copy->sourceLength = sourceLength;
  copy->start = start;
  copy->duration = duration;
  copy->inPoint = inPoint;
  copy->fadeIn = fadeIn;
  copy->fadeOut = fadeOut;
  copy->volume = volume;
  copy->flags = flags;
  copy->track = track;
  copy->selection = selection;
  copy->useTrackFadeIn = useTrackFadeIn;
  copy->useTrackFadeOut = useTrackFadeOut;
  return copy;
}

TimeMs CFilm::LeadInStart() const {
  if (!track || track->Kind() != TrackKind::TitleMovable) return start;
  return start - track->LeadIn();
}

PixelRect CFilm::ExtentIn(const TimePixelMapping& view) const {
  PixelRect extent;
  extent.left = static_cast<int>(view.TimeToX(LeadInStart())) - 1;
  extent.right = static_cast<int>(view.TimeToX(End())) + 1;
  if (track) {
    extent.top = track->top;
    extent.bottom = track->bottom;
  }
  return extent;
}

void CFilm::SnapToFrames() {
  if ((flags & SourceFlags::MovieFile) == 0) {
    start = SnapToFrameFloor(start);
    duration = SnapToFrameFloor(duration);
    return;
  }
  const TimeMs snappedIn = SnapToFrameFloor(inPoint);
  const TimeMs shift = snappedIn - inPoint;  // zero or negative
  start = SnapToFrameFloor(start + shift);
  duration = SnapToFrameFloor(duration - shift);
  inPoint = snappedIn;
}

void CFilm::SnapLinkedClips() {
  for (CFilm* linked : links) linked->SnapToFrames();
}

void CFilm::LimitFades() {
  if (fadeIn > duration) fadeIn = 0.0;
  if (fadeOut > duration) fadeOut = 0.0;
}

namespace {

bool OnFadingTrack(const CFilm& clip) {
  return clip.track && (clip.track->Kind() & TrackKind::FadingKinds) != 0;
}

}  // namespace

void CFilm::FitFadeInToFadeOut(const TimePixelMapping& view) {
  if (!OnFadingTrack(*this)) return;
  const TimeMs room = duration - fadeOut;
  if (room >= fadeIn) return;
  fadeIn = room;
  const TimeMs halfFrame = CurrentVideoStandard().FrameDelta * 0.5;
  if (fadeOut < halfFrame) fadeIn = duration - halfFrame;
  if (fadeIn < 0.0) {
    fadeIn = 0.0;
    fadeOut = duration - view.PixelsToTime(start, 3.0);
    if (fadeOut < 0.0) fadeOut = 0.0;
  }
}

void CFilm::FitFadeOutToFadeIn(const TimePixelMapping& view) {
  if (!OnFadingTrack(*this)) return;
  const TimeMs room = duration - fadeIn;
  if (room >= fadeOut) return;
  fadeOut = room;
  if (room < 0.0) {
    fadeOut = 0.0;
    fadeIn = duration - view.PixelsToTime(start, 3.0);
  }
}

TimeMs CFilm::EffectiveFadeIn() const { return track && useTrackFadeIn ? track->fadeIn : fadeIn; }
TimeMs CFilm::EffectiveFadeOut() const { return track && useTrackFadeOut ? track->fadeOut : fadeOut; }
double CFilm::EffectiveLevel() const { return (track ? track->volume : 1.0) * volume; }

CFilm::NeighbourClips CFilm::Neighbours() const {
  NeighbourClips found;
  if (!track) return found;
  for (const auto& clip : track->clips) {
    const CFilm* other = clip.get();
    if (other == this) continue;
    if (other->start <= start) {
      if (!found.previous || other->start > found.previous->start) found.previous = other;
    } else if (!found.next || other->start < found.next->start) {
      found.next = other;
    }
  }
  return found;
}

void CFilm::SelectLinkedClips() {
  for (CFilm* linked : links) linked->selection = 1;
}

void CFilm::Unlink() {
  for (auto partner = links.rbegin(); partner != links.rend(); ++partner) {
    std::erase((*partner)->links, this);
  }
  links.clear();
}

void CFilm::Link(CFilm& a, CFilm& b) {
  if (&a == &b) return;
  if (!a.IsLinkedTo(b)) a.links.push_back(&b);
  if (!b.IsLinkedTo(a)) b.links.push_back(&a);
}

bool CFilm::IsLinkedTo(const CFilm& other) const {
  return std::find(links.begin(), links.end(), &other) != links.end();
}

TimeMs CFilm::SyncOffset() const {
  // Below a microsecond the difference is arithmetic, not a slip.
  constexpr TimeMs kInStep = 1e-3;
  for (const CFilm* partner : links) {
    const TimeMs offset = (start - inPoint) - (partner->start - partner->inPoint);
    if (std::abs(offset) >= kInStep) return offset;
  }
  return 0.0;
}

int CFilm::VolumeLineHeight(int trackHeight) const {
  return static_cast<int>(trackHeight * volume * 0.8);
}

}  // namespace vantorelle
