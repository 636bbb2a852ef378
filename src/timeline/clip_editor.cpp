#include "timeline/clip_editor.h"

#include <algorithm>
#include <cmath>

#include "model/clip_edits.h"

namespace vantorelle {

namespace {

void Exclaim(IUserInterface& ui, const char* text, const char* caption) {
  ui.ShowMessage(text, caption, MessageIcon::Warning, MessageButtons::Ok);
}

bool Overlap(TimeMs aStart, TimeMs aEnd, TimeMs bStart, TimeMs bEnd) { return aStart < bEnd && aEnd > bStart; }

// The start a clip takes up on its track: a movable title travels in first.
TimeMs EffectiveStart(const CFilm& clip) {
  if (!clip.track || clip.track->Kind() != TrackKind::TitleMovable) return clip.start;
  return clip.start - clip.track->LeadIn();
}

bool HomeShown(const CFilm& clip) { return clip.track && clip.track->shown; }

// The clip first, then the clips linked to it: what a one-clip command acts on.
std::vector<CFilm*> WithPartners(CFilm& clip) {
  std::vector<CFilm*> group{&clip};
  for (CFilm* partner : clip.links) {
    if (std::find(group.begin(), group.end(), partner) == group.end()) group.push_back(partner);
  }
  return group;
}

// Copies for the clipboard, linked among themselves as the originals are.
void FillClipboard(CTimelineData& timeline, const std::vector<const CFilm*>& clips) {
  timeline.clipboard = CopyKeepingLinks(clips);
}

}  // namespace

void ClipEditor::SelectAll() {
  for (CTrack* track : doc_.timeline.ShownTracks()) {
    for (const auto& clip : track->clips) clip->selection = 1;
  }
}

void ClipEditor::DeselectAll() { doc_.timeline.DeselectAll(); }

void ClipEditor::InvertSelection() {
  for (CTrack* track : doc_.timeline.ShownTracks()) {
    for (const auto& clip : track->clips) clip->selection = clip->selection ? 0 : 1;
  }
}

void ClipEditor::SelectSourceFileInProject(const CFilm& clip) {
  CSrc* source = clip.source;
  doc_.timeline.DeselectAll();
  if (source) doc_.timeline.SelectClipsOf(*source);
}

bool ClipEditor::AnySelected() const {
  for (const auto& track : doc_.timeline.tracks) {
    for (const auto& clip : track->clips) {
      if (clip->IsSelected()) return true;
    }
  }
  return false;
}

bool ClipEditor::AllClipsSelectedAndShown() const {
  for (const auto& track : doc_.timeline.tracks) {
    for (const auto& clip : track->clips) {
      if (!track->shown || !clip->IsSelected()) return false;
    }
  }
  return true;
}

void ClipEditor::RemoveClip(CFilm& clip) {
  if (clip.source) --clip.source->usageCount;
  clip.Unlink();
  clip.track->Remove(clip);
}

bool ClipEditor::Delete() {
  if (!AnySelected()) return false;
  doc_.RecordUndo(UndoKind::Delete);
  for (const auto& track : doc_.timeline.tracks) {
    for (std::size_t i = track->clips.size(); i-- > 0;) {
      if (track->clips[i]->IsSelected()) RemoveClip(*track->clips[i]);
    }
  }
  return true;
}

bool ClipEditor::DeleteClip(CFilm& clip) {
  if (!clip.track) return false;
  doc_.RecordUndo(UndoKind::Delete);
  for (CFilm* each : WithPartners(clip)) {
    if (each->track) RemoveClip(*each);
  }
  return true;
}

void ClipEditor::Copy() {
  std::vector<const CFilm*> selected;
  for (const auto& track : doc_.timeline.tracks) {
    for (std::size_t i = track->clips.size(); i-- > 0;) {
      if (track->clips[i]->IsSelected()) selected.push_back(track->clips[i].get());
    }
  }
  FillClipboard(doc_.timeline, selected);
}

void ClipEditor::CopyClip(CFilm& clip) {
  const std::vector<CFilm*> group = WithPartners(clip);
  FillClipboard(doc_.timeline, std::vector<const CFilm*>(group.begin(), group.end()));
}

bool ClipEditor::Cut() {
  if (!AnySelected()) return false;
  doc_.RecordUndo(UndoKind::Cut);
  Copy();
  for (const auto& track : doc_.timeline.tracks) {
    for (std::size_t i = track->clips.size(); i-- > 0;) {
      if (track->clips[i]->IsSelected()) RemoveClip(*track->clips[i]);
    }
  }
  return true;
}

bool ClipEditor::CutClip(CFilm& clip) {
  if (!clip.track) return false;
  doc_.RecordUndo(UndoKind::CutClip);
  CopyClip(clip);
  for (CFilm* each : WithPartners(clip)) {
    if (each->track) RemoveClip(*each);
  }
  return true;
}

bool ClipEditor::Paste(TimeMs t) {
  CTimelineData& timeline = doc_.timeline;
  std::vector<const CFilm*> marked;
  TimeMs earliest = kEndOfTime;
  for (const auto& clip : timeline.clipboard) {
    if (!HomeShown(*clip)) continue;
    marked.push_back(clip.get());
    earliest = std::min(earliest, clip->start);
  }
  if (marked.empty()) return false;

  // Every copy finds its track before anything is placed, so a refusal
  // leaves the timeline and the undo history as they were.
  struct Placement {
    CTrack* track;
    std::unique_ptr<CFilm> copy;
  };
  std::vector<Placement> placements;
  auto fits = [&](const CTrack& track, const CFilm& copy) {
    if (track.Overlaps(copy)) return false;
    for (const auto& placed : placements) {
      if (placed.track == &track && Overlap(copy.start, copy.End(), placed.copy->start, placed.copy->End())) {
        return false;
      }
    }
    return true;
  };
  bool refused = false;
  // The copies of a linked picture and sound are linked again.
  std::vector<std::unique_ptr<CFilm>> copies = CopyKeepingLinks(marked);
  for (std::size_t i = 0; i < marked.size(); ++i) {
    const CFilm* clip = marked[i];
    auto copy = std::move(copies[i]);
    copy->start = clip->start + (t - earliest);
    CTrack* home = clip->track;
    CTrack* target = nullptr;
    if (home->Group() == TrackGroup::Title) {
      if (fits(*home, *copy)) target = home;
    } else if (fits(*home, *copy)) {
      target = home;
    } else {
      const auto homeAt = std::find_if(timeline.tracks.begin(), timeline.tracks.end(),
                                       [&](const auto& track) { return track.get() == home; });
      std::vector<CTrack*> order;
      for (auto it = homeAt + 1; it != timeline.tracks.end(); ++it) order.push_back(it->get());
      for (auto it = timeline.tracks.begin(); it != homeAt; ++it) order.push_back(it->get());
      for (CTrack* track : order) {
        if (track->type == home->type && fits(*track, *copy)) {
          target = track;
          break;
        }
      }
    }
    if (!target) {
      refused = true;
      break;
    }
    placements.push_back(Placement{target, std::move(copy)});
  }
  if (refused) {
    Exclaim(ui_, kPasteRefusal, kPasteRefusalCaption);
    return false;
  }

  doc_.RecordUndo(UndoKind::Paste);
  timeline.DeselectAll();
  for (auto& placement : placements) {
    placement.copy->selection = 1;
    if (placement.copy->source) ++placement.copy->source->usageCount;
    doc_.times.GrowProjectSize(placement.copy->End());
    placement.track->InsertInOrder(std::move(placement.copy));
  }
  return true;
}

bool ClipEditor::Insert(TimeMs t) {
  CTimelineData& timeline = doc_.timeline;
  if (timeline.clipboard.empty()) return false;
  auto refuse = [&] {
    Exclaim(ui_, kInsertRefusal, kInsertRefusalCaption);
    return false;
  };
  TimeMs earliest = kEndOfTime;
  TimeMs latest = 0.0;
  bool any = false;
  for (const auto& clip : timeline.clipboard) {
    if (!HomeShown(*clip)) continue;
    CTrack& home = *clip->track;
    if (home.Kind() == TrackKind::TitleMovable) {
      for (const auto& other : home.clips) {
        if (EffectiveStart(*other) < t && t < other->End()) return refuse();
      }
    }
    any = true;
    earliest = std::min(earliest, EffectiveStart(*clip));
    latest = std::max(latest, clip->End());
  }
  if (!any) return false;
  const TimeMs gap = latest - earliest;
  for (const auto& track : timeline.tracks) {
    for (const auto& clip : track->clips) {
      if (clip->End() + gap > kEndOfTime) return refuse();
    }
  }

  doc_.RecordUndo(UndoKind::Insert);
  timeline.DeselectAll();
  std::vector<CFilm*> across;
  for (const auto& track : timeline.tracks) {
    for (const auto& clip : track->clips) {
      if (clip->start < t && t < clip->End()) {
        across.push_back(clip.get());
      } else if (clip->start >= t) {
        clip->start += gap;
      }
    }
  }
  // Split after the moves, so the right halves move exactly once.
  for (const SplitHalves& halves : SplitClipsKeepingLinks(across, t)) {
    if (halves.second) halves.second->start += gap;
  }
  std::vector<const CFilm*> inserted;
  for (const auto& clip : timeline.clipboard) {
    if (HomeShown(*clip)) inserted.push_back(clip.get());
  }
  std::vector<std::unique_ptr<CFilm>> copies = CopyKeepingLinks(inserted);
  for (std::size_t i = 0; i < inserted.size(); ++i) {
    auto& copy = copies[i];
    copy->start = inserted[i]->start + (t - earliest);
    copy->selection = 1;
    if (copy->source) ++copy->source->usageCount;
    inserted[i]->track->InsertInOrder(std::move(copy));
  }
  for (const auto& track : timeline.tracks) {
    for (const auto& clip : track->clips) doc_.times.GrowProjectSize(clip->End());
  }
  return true;
}

bool ClipEditor::Split(TimeMs t) {
  std::vector<CFilm*> inside;
  for (const auto& track : doc_.timeline.tracks) {
    if (track->Kind() == TrackKind::TitleMovable) continue;
    for (const auto& clip : track->clips) {
      if (clip->start < t && t < clip->End()) inside.push_back(clip.get());
    }
  }
  if (inside.empty()) return false;
  doc_.RecordUndo(UndoKind::Split);
  SplitClipsKeepingLinks(inside, t);
  return true;
}

bool ClipEditor::CanSplitClip(const CFilm& clip, TimeMs mouseTime) {
  if (!clip.track || clip.track->Kind() == TrackKind::TitleMovable) return false;
  const TimeMs t = SnapToFrameNearest(mouseTime);
  return clip.start < t && t < clip.End() && clip.duration >= CurrentVideoStandard().FrameDelta + 0.001;
}

bool ClipEditor::SplitClip(CFilm& clip, TimeMs mouseTime) {
  if (!CanSplitClip(clip, mouseTime)) return false;
  doc_.RecordUndo(UndoKind::Split);
  // The partners are split at the same time, where it lies inside them.
  const TimeMs t = SnapToFrameNearest(mouseTime);
  std::vector<CFilm*> split;
  for (CFilm* each : WithPartners(clip)) {
    const bool movable = each->track && each->track->Kind() == TrackKind::TitleMovable;
    if (!movable && each->start < t && t < each->End()) split.push_back(each);
  }
  SplitClipsKeepingLinks(split, t);
  return true;
}

void ClipEditor::SetRangeToClip(const CFilm& clip) {
  doc_.times.rangeStart = clip.start;
  doc_.times.rangeStop = clip.End();
}

void ClipEditor::ExpandRangeToClip(const CFilm& clip) {
  ProjectTimes& times = doc_.times;
  if (times.rangeStart == 0.0 || times.rangeStart > clip.start) times.rangeStart = clip.start;
  if (times.rangeStop == 0.0 || times.rangeStop < clip.End()) times.rangeStop = clip.End();
}

namespace {

TimeMs NextClipStart(const CFilm& clip) {
  const CFilm* next = clip.Neighbours().next;
  return next ? next->start : kEndOfTime;
}

}  // namespace

int RepeatFitCount(const CFilm& clip) {
  if (!clip.track || !(clip.duration > 0.0)) return 0;
  const double fit = std::trunc((NextClipStart(clip) - clip.End()) / clip.duration);
  return fit > 0.0 ? static_cast<int>(std::min(fit, 1.0e6)) : 0;
}

RepeatClipDialog::RepeatClipDialog(const CFilm& clip, std::int32_t lastCount)
    : clipEnd_(clip.End()),
      duration_(clip.duration),
      nextStart_(NextClipStart(clip)),
      maximum_(RepeatFitCount(clip)),
      count_(maximum_) {
  if (nextStart_ == kEndOfTime) SetCount(lastCount);
}

void RepeatClipDialog::SetCount(int count) {
  count_ = std::clamp(count, std::min(1, maximum_), maximum_);
  SetPause(pause_);
}

void RepeatClipDialog::SetPause(TimeMs pause) {
  // The copies with their pauses must still end before the next clip.
  const TimeMs room = nextStart_ - clipEnd_ - count_ * duration_;
  const TimeMs longest = count_ > 0 ? std::max(room / count_, 0.0) : 0.0;
  pause_ = std::clamp(pause, 0.0, longest);
}

TimeMs RepeatClipDialog::ResultEnd() const { return clipEnd_ + count_ * (duration_ + pause_); }

void RepeatClipDialog::Apply(CVantorelleDoc& doc, CFilm& clip) const {
  if (count_ < 1 || !clip.track) return;
  doc.RecordUndo(UndoKind::RepeatClip);
  doc.times.projectSize = RepeatClip(clip, count_, pause_, doc.times.projectSize);
  doc.preferences.repeatClipValue = count_;
}

}  // namespace vantorelle
