#include "model/clip_properties.h"

#include <algorithm>
#include <vector>

#include "model/track.h"

namespace vantorelle {

ClipDialogKind ClipDialogKindOf(const CFilm& clip) {
  if (clip.flags & SourceFlags::MovieFile) {
    return (clip.flags & SourceFlags::AudioStream) ? ClipDialogKind::Audio : ClipDialogKind::Video;
  }
  const TrackType kind = clip.track ? clip.track->Kind() : TrackKind::Video;
  if (kind == TrackKind::TitleSlide) return ClipDialogKind::SlideTitle;
  if (kind == TrackKind::TitleMovable) return ClipDialogKind::MovableTitle;
  return ClipDialogKind::SingleImage;
}

const char* ClipDialogCaption(ClipDialogKind kind) {
  switch (kind) {
    case ClipDialogKind::Video: return "Video Clip Properties";
    case ClipDialogKind::Audio: return "Audio Clip Properties";
    case ClipDialogKind::SingleImage: return "Video Clip Properties(Single Image)";
    case ClipDialogKind::SlideTitle: return "Title Clip Properties(Slide Show)";
    case ClipDialogKind::MovableTitle: return "Title Clip Properties (Movable)";
  }
  return "";
}

namespace {

struct Room {
  TimeMs low = 0.0;
  TimeMs high = 0.0;
};

// From the end of the clip before to the start of the clip after, on the
// frame grid. Clips of the linked group do not count: they move together.
Room RoomOnTrack(const CFilm& clip, const std::vector<CFilm*>& group) {
  const CFilm* previous = nullptr;
  const CFilm* next = nullptr;
  if (clip.track) {
    for (const auto& other : clip.track->clips) {
      if (std::find(group.begin(), group.end(), other.get()) != group.end()) continue;
      if (other->start <= clip.start) {
        if (!previous || other->start > previous->start) previous = other.get();
      } else if (!next || other->start < next->start) {
        next = other.get();
      }
    }
  }
  return {SnapToFrameFloor(previous ? previous->End() : 0.0), SnapToFrameFloor(next ? next->start : 100000000.0)};
}

}  // namespace

ClipPropertiesDialog::ClipPropertiesDialog(CFilm& clip) : clip_(clip), kind_(ClipDialogKindOf(clip)) {
  start = FormatTimeFull(clip.start);
  size = FormatTimeFull(clip.duration);
  in = FormatTimeFull(clip.inPoint);
  fadeIn = FormatTimeFull(clip.fadeIn);
  fadeOut = FormatTimeFull(clip.fadeOut);
  name = clip.name;
  selection = clip.selection ? 1 : 0;
  linked = clip.links.empty() ? 0 : 1;
  useTrackFadeIn = clip.useTrackFadeIn != 0;
  useTrackFadeOut = clip.useTrackFadeOut != 0;
  volumePercent = static_cast<int>(clip.volume * 100.0);
  const CFilm::NeighbourClips neighbours = clip.Neighbours();
  low_ = SnapToFrameFloor(neighbours.previous ? neighbours.previous->End() : 0.0);
  high_ = SnapToFrameFloor(neighbours.next ? neighbours.next->start : 100000000.0);
  std::vector<CFilm*> group = clip.links;
  group.push_back(&clip);
  linkedLow_ = low_;
  linkedHigh_ = high_;
  for (const CFilm* partner : clip.links) {
    const Room room = RoomOnTrack(*partner, group);
    linkedLow_ = std::max(linkedLow_, room.low);
    linkedHigh_ = std::min(linkedHigh_, room.high);
  }
  // Partners already overlapped by their neighbours may leave no interval
  // at all: then the clip keeps its times, and the start field its value.
  timesFit_ = linkedLow_ <= linkedHigh_;
  if (!timesFit_) linkedLow_ = linkedHigh_ = clip.start;
}

void ClipPropertiesDialog::ChangeStart(std::string text) {
  ClampTimeText(text, NeighbourLow(), NeighbourHigh());
  start = std::move(text);
}

std::string ClipPropertiesDialog::Stop() const { return FormatTimeFull(ParseTimeText(start) + ParseTimeText(size)); }
std::string ClipPropertiesDialog::Out() const { return FormatTimeFull(ParseTimeText(in) + ParseTimeText(size)); }
std::string ClipPropertiesDialog::SourceLength() const { return FormatTimeFull(clip_.sourceLength); }

void ClipPropertiesDialog::Apply(ProjectTimes& times, const TimePixelMapping& view) {
  // Linked or not, the clip and the partners that follow it stay between
  // their neighbours: the start keeps a frame of room before the next clip
  // where there is that much, and a longer size ends at the next clip.
  if (!linked || timesFit_) {
    const TimeMs low = NeighbourLow();
    const TimeMs high = NeighbourHigh();
    const TimeMs frame = SnappingFrameLength();
    clip_.start = std::clamp(SnapToFrameFloor(ParseTimeText(start)), low, std::max(low, high - frame));
    // The slide show dialog snaps only the start; its length and fades are taken as typed.
    const bool snapAll = kind_ != ClipDialogKind::SlideTitle;
    clip_.duration = snapAll ? SnapToFrameFloor(ParseTimeText(size)) : ParseTimeText(size);
    clip_.inPoint = snapAll ? SnapToFrameFloor(ParseTimeText(in)) : ParseTimeText(in);
    if (clip_.End() > high) clip_.duration = std::max(high - clip_.start, 0.0);
  }
  clip_.name = name;
  clip_.selection = selection ? 1 : 0;
  if (HasFades()) {
    clip_.fadeIn = ParseTimeText(fadeIn);
    clip_.fadeOut = ParseTimeText(fadeOut);
    clip_.useTrackFadeIn = useTrackFadeIn ? 1 : 0;
    clip_.useTrackFadeOut = useTrackFadeOut ? 1 : 0;
  }
  // A length typed shorter than its fades would break the clip's invariant.
  clip_.LimitFades();
  if (HasVolume()) clip_.volume = std::clamp(volumePercent, 1, 100) * 0.01;
  times.GrowProjectSize(clip_.End());
  if (!linked) clip_.Unlink();
  for (CFilm* partner : clip_.links) {
    partner->selection = clip_.selection;
    partner->start = clip_.start;
    partner->duration = clip_.duration;
    partner->inPoint = clip_.inPoint;
    partner->FitFadeOutToFadeIn(view);
    partner->FitFadeInToFadeOut(view);
  }
}

}  // namespace vantorelle
