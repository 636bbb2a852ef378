#include "timeline/source_placement.h"

#include <algorithm>
#include <set>

namespace vantorelle {

namespace {

std::vector<SourceFlagBits> CandidateFlags(const CSrc& source) {
  std::vector<SourceFlagBits> flags;
  // Each candidate carries the source's file and live bits: no track takes a
  // live clip, so a live source finds no track.
  const SourceFlagBits origin = source.flags & (SourceFlags::MovieFile | SourceFlags::LiveSource);
  for (const SourceFlagBits stream : {SourceFlags::VideoStream, SourceFlags::AlphaStream, SourceFlags::AudioStream}) {
    if (source.flags & stream) flags.push_back(stream | origin);
  }
  return flags;
}

bool HasRoom(const CTrack& track, TimeMs start, TimeMs duration) {
  for (const auto& clip : track.clips) {
    if (clip->start < start + duration && clip->End() > start) return false;
  }
  return true;
}

}  // namespace

SourcePlacement::SourcePlacement(const CVantorelleDoc& doc, CSrc& source) : source_(source) {
  for (const SourceFlagBits flags : CandidateFlags(source)) {
    const auto shown = doc.timeline.ShownTracks();
    if (std::any_of(shown.begin(), shown.end(), [&](const CTrack* track) { return track->Accepts(flags); })) {
      candidates_.push_back(flags);
    }
  }
}

TimeMs SourcePlacement::StartFor(TimeMs t, const WorkArea& area) {
  TimeMs start = SnapToFrameFloor(std::clamp(t, area.start, std::max(area.start, area.stop)));
  if (start < area.start) start += CurrentVideoStandard().FrameDelta;
  return std::max(start, 0.0);  // nothing is placed before the project begins
}

std::vector<PlacementTarget> SourcePlacement::TargetsAt(const CVantorelleDoc& doc, CTrack* trackUnderMouse,
                                                        TimeMs start) const {
  std::vector<PlacementTarget> targets;
  if (candidates_.empty() || !trackUnderMouse) return {};
  std::set<TrackType> kindsTaken;
  std::set<const CTrack*> tracksTaken;
  std::vector<SourceFlagBits> rest = candidates_;
  // The track under the mouse takes the first candidate it accepts.
  const auto first = std::find_if(rest.begin(), rest.end(),
                                  [&](SourceFlagBits flags) { return trackUnderMouse->Accepts(flags); });
  if (first == rest.end()) return {};
  const TimeMs mouseDuration = trackUnderMouse->DefaultClipDuration(source_, doc.durations);
  // A clip never goes where it would overlap another.
  if (!HasRoom(*trackUnderMouse, start, mouseDuration)) return {};
  targets.push_back(PlacementTarget{*first, trackUnderMouse, start, mouseDuration});
  kindsTaken.insert(trackUnderMouse->Kind());
  tracksTaken.insert(trackUnderMouse);
  rest.erase(first);
  for (const SourceFlagBits flags : rest) {
    CTrack* found = nullptr;
    for (const auto& track : doc.timeline.tracks) {
      if (!track->shown || !track->Accepts(flags) || kindsTaken.count(track->Kind()) || tracksTaken.count(track.get())) {
        continue;
      }
      if (HasRoom(*track, start, track->DefaultClipDuration(source_, doc.durations))) {
        found = track.get();
        break;
      }
    }
    if (!found) return {};
    targets.push_back(PlacementTarget{flags, found, start, found->DefaultClipDuration(source_, doc.durations)});
    kindsTaken.insert(found->Kind());
    tracksTaken.insert(found);
  }
  return targets;
}

std::optional<SnappedStart> SourcePlacement::SnapStart(const CVantorelleDoc& doc, CTrack* trackUnderMouse,
                                                       TimeMs start, const SnapPoints& points,
                                                       const WorkAreaView& view) const {
  if (!trackUnderMouse || std::none_of(candidates_.begin(), candidates_.end(), [&](SourceFlagBits flags) {
        return trackUnderMouse->Accepts(flags);
      })) {
    return std::nullopt;
  }
  const TimeMs duration = trackUnderMouse->DefaultClipDuration(source_, doc.durations);
  const auto pull = points.Nearest({start, start + duration}, view);
  if (!pull) return std::nullopt;
  // An end met off the frame grid puts the start on the frame before, so
  // the clip ends short of what it meets rather than over it.
  const TimeMs snapped = pull->edge == 0 ? pull->point : SnapToFrameFloor(pull->point - duration);
  const WorkArea& area = doc.timeline.workArea;
  if (snapped < std::max(area.start, 0.0) || snapped > area.stop) return std::nullopt;
  if (TargetsAt(doc, trackUnderMouse, snapped).empty()) return std::nullopt;
  return SnappedStart{snapped, pull->point};
}

bool SourcePlacement::Place(CVantorelleDoc& doc, CTrack* trackUnderMouse, TimeMs start, std::int32_t undoKind) const {
  const auto targets = TargetsAt(doc, trackUnderMouse, start);
  if (targets.empty()) return false;
  doc.RecordUndo(undoKind);
  doc.timeline.DeselectAll();
  doc.SetModified(true);
  std::vector<CFilm*> made;
  for (const auto& target : targets) {
    auto clip = std::make_unique<CFilm>(&source_);
    clip->name = source_.name;
    clip->flags = target.clipFlags;
    clip->start = target.start;
    clip->duration = clip->sourceLength = target.duration;
    clip->selection = 1;
    ++source_.usageCount;
    doc.times.GrowProjectSize(clip->End());
    made.push_back(&target.track->InsertInOrder(std::move(clip)));
  }
  for (std::size_t i = 0; i < made.size(); ++i) {
    for (std::size_t j = i + 1; j < made.size(); ++j) CFilm::Link(*made[i], *made[j]);
  }
  return true;
}

}  // namespace vantorelle
