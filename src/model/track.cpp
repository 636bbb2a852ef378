#include "model/track.h"

#include <algorithm>

namespace vantorelle {

const char* TrackNameStem(TrackType type) {
  switch (type & 0xFF) {
    case TrackKind::Video: return "Video track number";
    case TrackKind::VideoAlfa: return "Video track(Alfa) number";
    case TrackKind::VideoB: return "Video track(B) number";
    case TrackKind::Audio: return "Audio track number";
    case TrackKind::TitleMovable: return "Title track(movable) number";
    case TrackKind::TitleSlide: return "Title track(slide) number";
    default: return "";
  }
}

CTrack::CTrack(TrackType t, std::int32_t h) : type(t), height(h) {}

std::unique_ptr<CTrack> CTrack::Copy() const {
  auto copy = std::make_unique<CTrack>(type, height);
  copy->playState = playState;
  copy->name = name;
  copy->shown = shown;
  copy->direction = direction;
  copy->precision = precision;
  copy->regionLeft = regionLeft;
  copy->regionTop = regionTop;
  copy->regionHeight = regionHeight;
  copy->regionWidth = regionWidth;
  copy->maxSpeed = maxSpeed;
  copy->fadeIn = fadeIn;
  copy->fadeOut = fadeOut;
  copy->volume = volume;
  copy->headerButtonWidth = headerButtonWidth;
  copy->headerButtonHeight = headerButtonHeight;
  copy->headerButtonColours = headerButtonColours;
  for (const auto& clip : clips) {
    auto clipCopy = clip->Copy();
    clipCopy->track = copy.get();
    copy->clips.push_back(std::move(clipCopy));
  }
  return copy;
}

const char* CTrack::GroupName() const {
  switch (Group()) {
    case TrackGroup::Video: return "Video Tracks";
    case TrackGroup::Audio: return "Audio Tracks";
    default: return "Title Tracks";
  }
}

bool CTrack::Accepts(SourceFlagBits f) const {
  if (f & SourceFlags::LiveSource) return false;
  switch (Group()) {
    case TrackGroup::Video:
      if (Kind() == TrackKind::VideoAlfa) return (f & SourceFlags::PictureStreams) != 0;
      return (Kind() == TrackKind::Video || Kind() == TrackKind::VideoB) && (f & SourceFlags::VideoStream) != 0;
    case TrackGroup::Audio:
      return (f & SourceFlags::AudioStream) != 0;
    case TrackGroup::Title:
      return (f & SourceFlags::MovieFile) == 0 && (f & SourceFlags::VideoStream) != 0;
    default:
      return false;
  }
}

bool CTrack::Overlaps(const CFilm& clip) const {
  return std::any_of(clips.begin(), clips.end(), [&](const auto& k) {
    return k->start < clip.End() && k->End() > clip.start;
  });
}

CFilm& CTrack::InsertInOrder(std::unique_ptr<CFilm> clip) {
  clip->track = this;
  const auto at = std::find_if(clips.begin(), clips.end(),
                               [&](const auto& k) { return clip->start <= k->start; });
  return **clips.insert(at, std::move(clip));
}

int CTrack::IndexOf(const CFilm& clip) const {
  for (std::size_t i = 0; i < clips.size(); ++i) {
    if (clips[i].get() == &clip) return static_cast<int>(i);
  }
  return -1;
}

std::unique_ptr<CFilm> CTrack::Remove(const CFilm& clip) {
  const int index = IndexOf(clip);
  if (index < 0) return nullptr;
  std::unique_ptr<CFilm> taken = std::move(clips[static_cast<std::size_t>(index)]);
  clips.erase(clips.begin() + index);
  taken->track = nullptr;
  return taken;
}

TimeMs CTrack::DefaultClipDuration(const CSrc& source, const DefaultClipDurations& durations) const {
  TimeMs length = source.duration;
  if (source.flags & SourceFlags::LiveSource) {
    length = durations.liveDuration;
  } else if (Group() == TrackGroup::Video && (source.flags & SourceFlags::MovieFile) == 0) {
    length = durations.stillImageDuration;
  } else if (Kind() == TrackKind::TitleSlide) {
    length = durations.slideShowDuration;
  } else if (Kind() == TrackKind::TitleMovable && direction >= 0 && direction <= 3) {
    // The time the image takes to cross: its extent at the crawl speed, with
    // the same floor on the speed as the lead-in.
    const double speed = std::max(maxSpeed, 0.01);
    const double extent = direction <= 1 ? source.frameWidth : source.frameHeight;
    length = extent * CurrentVideoStandard().FrameDelta / (2.0 * speed);
  }
  return SnapToFrameFloor(length);
}

std::int32_t CTrack::TravelSize() const {
  if (Kind() != TrackKind::TitleMovable) return 0;
  if (direction == 0 || direction == 1) return regionWidth;
  if (direction == 2 || direction == 3) return regionHeight;
  return 0;
}

TimeMs CTrack::MillisecondsPerPixel() {
  if (Kind() != TrackKind::TitleMovable) return -1.0;
  if (maxSpeed == 0.0) maxSpeed = 0.01;
  return CurrentVideoStandard().FrameDelta / (2.0 * maxSpeed);
}

TimeMs CTrack::LeadIn() {
  if (Kind() != TrackKind::TitleMovable) return -1.0;
  return TravelSize() * MillisecondsPerPixel();
}

bool CTrack::IsPlayed(bool soloPresent) const {
  return soloPresent ? playState == PlayState::Solo : playState != PlayState::Mute;
}

}  // namespace vantorelle
