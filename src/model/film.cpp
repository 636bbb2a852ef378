#include "model/film.h"

#include <algorithm>
#include <memory>

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

int CFilm::VolumeLineHeight(int trackHeight) const {
  return static_cast<int>(trackHeight * volume * 0.8);
}

}  // namespace vantorelle
