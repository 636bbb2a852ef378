#include "timeline/track_area_controller.h"

#include <algorithm>
#include <cmath>

#include "timeline/fade_handles.h"
#include "timeline/first_clip_format.h"
#include "timeline/track_rows.h"

namespace vantorelle {

namespace {

// Edge timers of each drag: left, right, up, down (0 where a drag has none).
struct EdgeTimers {
  int left, right, up, down;
};

bool IsFadingTrack(const CTrack& track) { return (track.Kind() & TrackKind::FadingKinds) != 0; }

// The y of a clip's level line inside its track's row.
int VolumeLineY(const CFilm& clip) { return clip.VolumeLineY(clip.track->bottom, clip.track->height); }

// Picture and sound of one movie are selected together unless Alt asks for
// the one clip alone.
void SelectClip(CFilm& clip, bool alone) {
  clip.selection = 1;
  if (!alone) clip.SelectLinkedClips();
}

}  // namespace

TrackAreaController::TrackAreaController(CVantorelleDoc& doc, WorkAreaNavigator& navigator, IViewHost& host,
                                         ITimerService& timers, ITrackScroller* trackScroller)
    : doc_(doc), navigator_(navigator), host_(host), timers_(timers), trackScroller_(trackScroller) {}

void TrackAreaController::SetClientSize(int width, int height) {
  width_ = width;
  height_ = height;
  navigator_.SetClientWidth(width);
  LayOutRows();
}

TrackAreaHit TrackAreaController::HitTest(int x, int y) const {
  TrackAreaHit hit;
  hit.track = TrackAtRow(doc_.timeline, y);
  const WorkAreaView view = View();
  const TimeMs mark = doc_.times.timeMark;
  const bool nearLine = std::abs(view.TimeToPixel(mark) - x) <= 4 && mark >= doc_.timeline.workArea.start &&
                        mark <= doc_.timeline.workArea.stop;
  if (!hit.track) {
    if (nearLine) hit.zone = HitZone::TimeLine;
    return hit;
  }
  for (const auto& clip : hit.track->clips) {
    const int xs = view.TimeToPixel(clip->start);
    const int xe = view.TimeToPixel(clip->End());
    HitZone zone = HitZone::None;
    if (hit.track->Kind() == TrackKind::TitleMovable) {
      const int lead = view.TimeToPixel(clip->LeadInStart());
      if (x >= lead && x <= xe) zone = HitZone::Body;
    } else if (xe - xs < 9) {
      if (x >= xs - 2 && x <= xe + 2) zone = HitZone::Body;
    } else if (x >= xs - 2 && x <= xs + 2) {
      zone = HitZone::LeftEdge;
    } else if (x > xs + 2 && x <= xe - 2) {
      zone = HitZone::Body;
    } else if (x >= xe - 2 && x <= xe + 2) {
      zone = HitZone::RightEdge;
    }
    if (zone == HitZone::None) continue;
    hit.clip = clip.get();
    if (IsFadingTrack(*hit.track) && xe - xs > 8) {
      const int lineY = VolumeLineY(*clip);
      const int fadeInX = view.TimeToPixel(clip->start + clip->EffectiveFadeIn());
      const int fadeOutX = view.TimeToPixel(clip->End() - clip->EffectiveFadeOut());
      auto inSquare = [&](int cx) { return FadeHandleSquare(cx, lineY).Contains(x, y); };
      if (inSquare(fadeInX)) {
        zone = HitZone::FadeIn;
      } else if (inSquare(fadeOutX)) {
        zone = HitZone::FadeOut;
      } else if (hit.track->Kind() == TrackKind::Audio && std::abs(y - lineY) <= 2) {
        zone = HitZone::Volume;
      }
    }
    hit.zone = zone;
    break;
  }
  if (nearLine && (!hit.clip || doc_.preferences.pickRedLine)) hit.zone = HitZone::TimeLine;
  return hit;
}

std::string TrackAreaController::ClipStatusText(const CFilm& clip) const {
  const std::int32_t mode = doc_.preferences.timeDisplayMode;
  return "'" + clip.name + "' start: " + FormatTimeDisplay(clip.start, mode) +
         "ms, stop: " + FormatTimeDisplay(clip.End(), mode) + "ms, duration: " + FormatTimeDisplay(clip.duration, mode) +
         "ms";
}

void TrackAreaController::ShowStatus(const CFilm* clip) { host_.SetStatusText(clip ? ClipStatusText(*clip) : "Ready"); }

void TrackAreaController::LayOutRows() {
  // Undo, Redo and the headers replace or move rows behind the area's back.
  LayOutTrackRows(doc_.timeline, doc_.preferences.firstVisibleTrack, height_);
}

void TrackAreaController::OnMouseDown(const MouseEvent& event) {
  if (!event.leftButton || event.rightButton || event.middleButton) return;
  LayOutRows();
  lastX_ = event.x;
  lastY_ = event.y;
  const TimeMs t = TimeAt(event.x);
  const TrackAreaHit hit = HitTest(event.x, event.y);

  if (pending_) {
    auto placement = std::move(pending_);
    targets_.clear();
    placement->Place(doc_, hit.track, PlacementStart(*placement, hit.track, event.x), UndoKind::PlaceAddedSource);
    snapLine_.reset();
    StopAutoScroll();
    host_.Repaint(RedrawMask::TrackArea | RedrawMask::ClipCollection);
    return;
  }
  if (event.ctrl || event.shift) {
    if (hit.track) {
      for (const auto& clip : hit.track->clips) {
        if (clip->start < t && t < clip->End()) SelectClip(*clip, event.alt);
      }
      host_.Repaint(RedrawMask::TrackArea);
    }
    return;
  }
  alone_ = event.alt;
  if (hit.clip && hit.zone != HitZone::TimeLine) {
    SelectClicked(*hit.clip);
    dragClip_ = hit.clip;
    const bool movable = hit.track->Kind() == TrackKind::TitleMovable;
    switch (hit.zone) {
      case HitZone::Body:
        drag_ = Drag::Move;
        origin_ = t;
        movedKind_ = hit.track->type;
        moved_.clear();
        mayChangeTracks_ = true;
        for (const auto& track : doc_.timeline.tracks) {
          for (const auto& clip : track->clips) {
            if (!clip->IsSelected()) continue;
            moved_.push_back(clip.get());
            if (track->Group() == TrackGroup::Title) mayChangeTracks_ = false;
          }
        }
        break;
      case HitZone::LeftEdge: drag_ = movable ? Drag::None : Drag::TrimLeft; break;
      case HitZone::RightEdge: drag_ = movable ? Drag::None : Drag::TrimRight; break;
      case HitZone::FadeIn: drag_ = Drag::FadeIn; break;
      case HitZone::FadeOut: drag_ = Drag::FadeOut; break;
      case HitZone::Volume: drag_ = Drag::Volume; break;
      default: drag_ = Drag::None; break;
    }
  } else if (hit.zone == HitZone::TimeLine) {
    drag_ = Drag::TimeLine;
  } else if (hit.track) {
    if (doc_.timeline.ClipCount() > 0) doc_.RecordUndo(UndoKind::ClearSelection);
    doc_.timeline.DeselectAll();
    drag_ = Drag::Rectangle;
    bandX_ = event.x;
    bandY_ = event.y;
  }
  if (drag_ != Drag::None) host_.SetMouseCapture(true);
  host_.Repaint(RedrawMask::TrackArea);
}

void TrackAreaController::SelectClicked(CFilm& clip) {
  // A click on a selected clip keeps the selection, so that all of it can
  // be dragged, and brings in partners left out; one on an unselected clip
  // selects it with its partners instead. With Alt the clip is the whole
  // selection.
  bool changes = !clip.IsSelected();
  if (alone_) {
    for (const auto& track : doc_.timeline.tracks) {
      for (const auto& other : track->clips) changes = changes || (other.get() != &clip && other->IsSelected());
    }
  } else {
    for (const CFilm* partner : clip.links) changes = changes || !partner->IsSelected();
  }
  if (!changes) return;
  doc_.RecordUndo(UndoKind::SelectClip);
  if (alone_ || !clip.IsSelected()) doc_.timeline.DeselectAll();
  SelectClip(clip, alone_);
}

void TrackAreaController::OnMouseMove(const MouseEvent& event) {
  if (drag_ == Drag::None) LayOutRows();
  lastX_ = event.x;
  lastY_ = event.y;
  if (drag_ == Drag::None) {
    if (pending_) {
      CTrack* track = TrackAtRow(doc_.timeline, event.y);
      targets_ = pending_->TargetsAt(doc_, track, PlacementStart(*pending_, track, event.x));
      UpdateAutoScroll(event.x, event.y);
      host_.Repaint(RedrawMask::TrackArea);
      return;
    }
    ShowStatus(HitTest(event.x, event.y).clip);
    return;
  }
  if (!DraggedClipsAlive()) {
    AbandonDrag();
    return;
  }
  ApplyDrag(event.x, event.y, false);
  UpdateAutoScroll(event.x, event.y);
}

void TrackAreaController::ApplyDrag(int x, int y, bool autoScrollTick) {
  snapLine_.reset();  // each drag step shows the snap it meets
  switch (drag_) {
    case Drag::Move: MoveClips(x, y, autoScrollTick); break;
    case Drag::TrimRight: TrimRight(x, autoScrollTick); break;
    case Drag::TrimLeft: TrimLeft(x, autoScrollTick); break;
    case Drag::FadeIn:
    case Drag::FadeOut: ChangeFade(x); break;
    case Drag::Volume: ChangeVolume(y); break;
    case Drag::TimeLine: MoveTimeLine(x); break;
    case Drag::Rectangle:
    case Drag::None: break;
  }
  if (dragClip_ && drag_ != Drag::TimeLine && drag_ != Drag::Rectangle) ShowStatus(dragClip_);
  host_.Repaint(RedrawMask::TrackArea);
}

void TrackAreaController::MoveClips(int x, int y, bool autoScrollTick) {
  TimeMs d = TimeAt(x) - origin_;
  if (!autoScrollTick) d = SnapToFrameFloor(d);

  // The clicked kind's tracks, and how far the mouse asks to move over them.
  const std::vector<CTrack*> kindTracks = doc_.timeline.TracksOfType(movedKind_);
  auto indexOf = [&](const CTrack* track) {
    const auto at = std::find(kindTracks.begin(), kindTracks.end(), track);
    return at == kindTracks.end() ? -1 : static_cast<int>(at - kindTracks.begin());
  };
  int shift = 0;
  if (mayChangeTracks_ && dragClip_) {
    const int clampedY = std::clamp(y, 0, std::max(height_ - 1, 0));
    const int under = indexOf(TrackAtRow(doc_.timeline, clampedY));
    const int from = indexOf(dragClip_->track);
    if (under >= 0 && from >= 0) {
      shift = under - from;
      for (const CFilm* clip : moved_) {
        const int at = indexOf(clip->track);
        if (at < 0) continue;
        shift = std::clamp(shift, -at, static_cast<int>(kindTracks.size()) - 1 - at);
      }
    }
  }
  auto targetOf = [&](const CFilm& clip) {
    const int at = indexOf(clip.track);
    return at >= 0 ? kindTracks[static_cast<std::size_t>(at + shift)] : clip.track;
  };

  // Every moved clip keeps clear of the unselected clips of its target
  // track. The neighbours are those around the start the mouse asks for, so
  // a clip carried past a neighbour's start lands beyond it when there is
  // room there, and one carried towards a neighbour stops against it.
  auto landing = [&](TimeMs asked) -> std::optional<TimeMs> {
    TimeMs low = -kEndOfTime;
    TimeMs high = kEndOfTime;
    const TimeMs projectSize = doc_.times.projectSize;
    for (const CFilm* clip : moved_) {
      const CTrack* target = targetOf(*clip);
      const TimeMs wanted = clip->start + asked;
      const CFilm* previous = nullptr;
      const CFilm* next = nullptr;
      for (const auto& other : target->clips) {
        if (other->IsSelected()) continue;
        if (other->start < wanted) {
          previous = other.get();
        } else if (!next) {
          next = other.get();
        }
      }
      low = std::max(low, previous ? previous->End() - clip->start : -clip->start);
      high = std::min(high, next ? next->start - clip->End() : projectSize - clip->End());
    }
    if (low > high) return std::nullopt;  // no room for this mouse position
    return std::clamp(asked, low, high);
  };
  // Either edge of any moved clip may meet a snap point. The whole group
  // goes there when it has room there; a snap it cannot reach (a start
  // drawn to the start of a clip it is carried past) gives way to the
  // mouse.
  std::vector<TimeMs> edges;
  for (const CFilm* clip : moved_) {
    edges.push_back(clip->start + d);
    edges.push_back(clip->End() + d);
  }
  const std::optional<SnapPull> snap = SnapEdges(edges, {moved_.begin(), moved_.end()});
  std::optional<TimeMs> landed = snap ? landing(d + snap->shift) : std::nullopt;
  if (landed && *landed == d + snap->shift) {
    snapLine_ = snap->point;
  } else {
    landed = landing(d);
  }
  if (!landed) return;
  d = *landed;
  if (d == 0.0 && shift == 0) return;

  doc_.RecordUndo(UndoKind::MoveDrag);
  for (CFilm* clip : moved_) {
    CTrack* target = targetOf(*clip);
    CTrack* own = clip->track;
    clip->start += d;
    auto owned = own->Remove(*clip);
    target->InsertInOrder(std::move(owned));
  }
  origin_ += d;
}

void TrackAreaController::TrimRight(int x, bool autoScrollTick) {
  CFilm& clip = *dragClip_;
  TimeMs duration = TimeAt(x) - clip.start;
  if (!autoScrollTick) duration = SnapToFrameFloor(duration);
  const TimeMs frame = CurrentVideoStandard().FrameDelta;
  std::vector<CFilm*> clips{&clip};
  if (!alone_) clips.insert(clips.end(), clip.links.begin(), clip.links.end());
  const std::optional<SnapPull> snap = SnapEdges({clip.start + duration}, {clips.begin(), clips.end()});
  if (snap) duration = snap->point - clip.start;
  const TimeMs attracted = duration;
  if (duration > clip.duration) {
    for (const CFilm* each : clips) {
      duration = std::min(duration, doc_.times.projectSize - each->start);
      if (each->flags & SourceFlags::MovieFile) duration = std::min(duration, each->sourceLength - each->inPoint);
      if (const CFilm* next = each->Neighbours().next) duration = std::min(duration, next->start - each->start);
    }
    duration = std::max(duration, clip.duration);
  } else {
    duration = std::max(duration, frame);
  }
  if (snap && duration == attracted) snapLine_ = snap->point;
  if (duration == clip.duration) return;
  doc_.RecordUndo(UndoKind::TrimDrag);
  for (CFilm* each : clips) {
    each->duration = duration;
    each->LimitFades();
  }
}

void TrackAreaController::TrimLeft(int x, bool autoScrollTick) {
  CFilm& clip = *dragClip_;
  TimeMs s = TimeAt(x);
  if (!autoScrollTick) s = SnapToFrameFloor(s);
  const TimeMs frame = CurrentVideoStandard().FrameDelta;
  std::vector<CFilm*> clips{&clip};
  if (!alone_) clips.insert(clips.end(), clip.links.begin(), clip.links.end());
  const std::optional<SnapPull> snap = SnapEdges({s}, {clips.begin(), clips.end()});
  if (snap) s = snap->point;
  const TimeMs attracted = s;
  if (s > clip.start) {
    s = std::min(s, clip.End() - frame);
    s = std::max(s, clip.start);
  } else {
    for (const CFilm* each : clips) {
      if (const CFilm* previous = each->Neighbours().previous) s = std::max(s, previous->End());
      if (each->flags & SourceFlags::MovieFile) s = std::max(s, each->start - each->inPoint);
      s = std::max(s, 0.0);
    }
    s = std::min(s, clip.start);
  }
  if (snap && s == attracted) snapLine_ = snap->point;
  const TimeMs shift = s - clip.start;
  if (shift == 0.0) return;
  doc_.RecordUndo(UndoKind::TrimDrag);
  const TimeMs inPoint = clip.inPoint + shift;
  const TimeMs duration = clip.duration - shift;
  for (CFilm* each : clips) {
    each->start = s;
    each->inPoint = inPoint;
    each->duration = duration;
    each->LimitFades();
  }
}

void TrackAreaController::ChangeFade(int x) {
  CFilm& clip = *dragClip_;
  const WorkAreaView view = View();
  const TimeMs threePixels = view.PixelsToTime(clip.start, 3.0);
  const TimeMs t = TimeAt(x);
  if (drag_ == Drag::FadeIn) {
    const TimeMs limit = clip.duration - clip.EffectiveFadeOut() - threePixels;
    clip.fadeIn = std::clamp(t - clip.start, 0.0, std::max(limit, 0.0));
    clip.useTrackFadeIn = 0;
  } else {
    const TimeMs limit = clip.duration - clip.EffectiveFadeIn() - threePixels;
    clip.fadeOut = std::clamp(clip.End() - t, 0.0, std::max(limit, 0.0));
    clip.useTrackFadeOut = 0;
  }
  doc_.SetModified(true);
}

void TrackAreaController::ChangeVolume(int y) {
  CFilm& clip = *dragClip_;
  const int h = static_cast<int>(std::trunc(0.8 * clip.track->height)) - 2;
  if (h <= 2) return;
  const int d = std::clamp(clip.track->bottom - y, 2, h);
  clip.volume = static_cast<double>(d - 2) / h;
  doc_.SetModified(true);
}

void TrackAreaController::MoveTimeLine(int x) {
  const WorkArea& area = doc_.timeline.workArea;
  doc_.times.timeMark = std::clamp(TimeAt(x), area.start, area.stop);
  host_.Repaint(RedrawMask::Ruler);
}

std::optional<PixelRect> TrackAreaController::SelectionRectangle() const {
  if (drag_ != Drag::Rectangle) return std::nullopt;
  return PixelRect{std::min(bandX_, lastX_), std::min(bandY_, lastY_), std::max(bandX_, lastX_) + 1,
                   std::max(bandY_, lastY_) + 1};
}

void TrackAreaController::FinishDrag() {
  if (drag_ == Drag::None) return;
  MouseEvent release;
  release.x = lastX_;
  release.y = lastY_;
  OnMouseUp(release);
}

bool TrackAreaController::DraggedClipsAlive() const {
  if (!dragClip_ && moved_.empty()) return true;
  std::vector<const CFilm*> live;
  for (const auto& track : doc_.timeline.tracks) {
    for (const auto& clip : track->clips) live.push_back(clip.get());
  }
  auto alive = [&](const CFilm* clip) { return std::find(live.begin(), live.end(), clip) != live.end(); };
  return (!dragClip_ || alive(dragClip_)) && std::all_of(moved_.begin(), moved_.end(), alive);
}

void TrackAreaController::OnMouseUp(const MouseEvent& event) {
  lastX_ = event.x;
  lastY_ = event.y;
  if (!DraggedClipsAlive()) {
    AbandonDrag();
    return;
  }
  switch (drag_) {
    case Drag::Rectangle: {
      const auto clips = doc_.timeline.ClipsMeeting(*SelectionRectangle(), View());
      if (!clips.empty()) {
        doc_.RecordUndo(UndoKind::SelectRectangle);
        for (CFilm* clip : clips) SelectClip(*clip, alone_);
      }
      break;
    }
    case Drag::Move:
      SnapMovedClipsToFrames();
      doc_.undoHistory.ResetCoalescing();
      break;
    case Drag::TrimLeft:
    case Drag::TrimRight:
      doc_.undoHistory.ResetCoalescing();
      break;
    case Drag::TimeLine: {
      const WorkArea& area = doc_.timeline.workArea;
      doc_.times.timeMark = std::clamp(SnapToFrameNearest(doc_.times.timeMark), area.start, area.stop);
      break;
    }
    default:
      break;
  }
  EndDrag();
}

void TrackAreaController::SnapMovedClipsToFrames() {
  // A clip that stopped against the end of a neighbour off the frame grid
  // would run into it when floored; then all go up to the next frame, and
  // where that has no room either they stay where they are. They move
  // together so linked clips keep sharing their start.
  const TimeMs frame = SnappingFrameLength();
  auto newlyMeets = [&](const CFilm& clip, TimeMs start) {
    const TimeMs end = start + clip.duration;
    if (end > std::max(doc_.times.projectSize, clip.End())) return true;
    for (const auto& other : clip.track->clips) {
      if (other->IsSelected()) continue;
      const bool meets = other->start < end && start < other->End();
      const bool met = other->start < clip.End() && clip.start < other->End();
      if (meets && !met) return true;
    }
    return false;
  };
  for (const bool up : {false, true}) {
    auto snapped = [&](const CFilm& clip) {
      const TimeMs floor = SnapToFrameFloor(clip.start);
      return up && floor != clip.start ? floor + frame : floor;
    };
    const bool fits = std::none_of(moved_.begin(), moved_.end(),
                                   [&](const CFilm* clip) { return newlyMeets(*clip, snapped(*clip)); });
    if (!fits) continue;
    for (CFilm* clip : moved_) clip->start = snapped(*clip);
    return;
  }
}

void TrackAreaController::AbandonDrag() {
  // What the drag recorded stays one step; the next drag records anew.
  doc_.undoHistory.ResetCoalescing();
  EndDrag();
}

void TrackAreaController::EndDrag() {
  const bool wasDragging = drag_ != Drag::None;
  drag_ = Drag::None;
  dragClip_ = nullptr;
  alone_ = false;
  moved_.clear();
  snapLine_.reset();
  StopAutoScroll();
  if (wasDragging) {
    host_.SetMouseCapture(false);
    host_.Repaint(RedrawMask::All);
  }
}

namespace {

EdgeTimers TimersFor(int drag, bool pending) {
  if (pending) return {13, 14, 15, 16};
  switch (drag) {
    case 1: return {1, 2, 3, 4};      // rectangle
    case 2: return {9, 10, 11, 12};   // move
    case 3: return {5, 6, 0, 0};      // left trim
    case 4: return {7, 8, 0, 0};      // right trim
    case 8: return {18, 19, 0, 0};    // current-time line
    default: return {0, 0, 0, 0};
  }
}

}  // namespace

void TrackAreaController::UpdateAutoScroll(int x, int y) {
  const EdgeTimers edge = TimersFor(static_cast<int>(drag_), pending_ != nullptr);
  const WorkArea& area = doc_.timeline.workArea;
  int horizontal = 0;
  if (x < 0 && area.start > 0.0) horizontal = edge.left;
  if (x > width_ && area.stop < doc_.times.projectSize) horizontal = edge.right;
  if (horizontal != horizontalTimer_) {
    if (horizontalTimer_) timers_.KillTimer(horizontalTimer_);
    if (horizontal) timers_.StartTimer(horizontal, 100);
    horizontalTimer_ = horizontal;
  }
  int vertical = 0;
  if (trackScroller_) {
    if (y < 0) vertical = edge.up;
    if (y > height_) vertical = edge.down;
  }
  if (vertical != verticalTimer_) {
    if (verticalTimer_) timers_.KillTimer(verticalTimer_);
    if (vertical) timers_.StartTimer(vertical, 300);
    verticalTimer_ = vertical;
  }
}

void TrackAreaController::StopAutoScroll() {
  if (horizontalTimer_) timers_.KillTimer(horizontalTimer_);
  if (verticalTimer_) timers_.KillTimer(verticalTimer_);
  horizontalTimer_ = verticalTimer_ = 0;
}

void TrackAreaController::OnTimer(int id) {
  if (!DraggedClipsAlive()) {
    AbandonDrag();
    return;
  }
  if (id != 0 && id == horizontalTimer_) {
    const bool left = lastX_ < 0;
    const WorkArea& area = doc_.timeline.workArea;
    if ((left && area.start <= 0.0) || (!left && area.stop >= doc_.times.projectSize)) {
      timers_.KillTimer(horizontalTimer_);
      horizontalTimer_ = 0;
      return;
    }
    navigator_.Scroll(left ? ScrollCode::LineLeft : ScrollCode::LineRight);
  } else if (id != 0 && id == verticalTimer_ && trackScroller_) {
    const int delta = lastY_ < 0 ? -1 : 1;
    const auto firstShown = [this]() -> const CTrack* {
      const auto shown = LaidOutTracks(doc_.timeline);
      return shown.empty() ? nullptr : shown.front();
    };
    const CTrack* firstBefore = firstShown();
    if (!trackScroller_->ScrollTracks(delta)) {
      timers_.KillTimer(verticalTimer_);
      verticalTimer_ = 0;
      return;
    }
    LayOutTrackRows(doc_.timeline, doc_.preferences.firstVisibleTrack, height_);
    if (drag_ == Drag::Rectangle) {
      // The band's start stays on the point it was drawn from: it moves by
      // the row that left the view at the top, or the one that came in.
      const CTrack* scrolled = delta > 0 ? firstBefore : firstShown();
      bandY_ -= delta * (scrolled ? scrolled->height : 0);
    }
  } else {
    return;
  }
  if (pending_) {
    CTrack* track = TrackAtRow(doc_.timeline, lastY_);
    targets_ = pending_->TargetsAt(doc_, track, PlacementStart(*pending_, track, lastX_));
  } else {
    ApplyDrag(lastX_, lastY_, true);
  }
}

bool TrackAreaController::DragOver(CSrc& source, int x, int y) {
  LayOutRows();
  SourcePlacement placement(doc_, source);
  CTrack* track = TrackAtRow(doc_.timeline, y);
  targets_ = placement.TargetsAt(doc_, track, PlacementStart(placement, track, x));
  host_.Repaint(RedrawMask::TrackArea);
  return !targets_.empty();
}

bool TrackAreaController::Drop(CSrc& source, int x, int y) {
  targets_.clear();
  SourcePlacement placement(doc_, source);
  CTrack* track = TrackAtRow(doc_.timeline, y);
  // Before the start is put on the frame grid: the grid may change.
  if (!placement.TargetsAt(doc_, track, PlacementStart(placement, track, x)).empty()) {
    OfferClipFormat(doc_, source);
  }
  const bool placed = placement.Place(doc_, track, PlacementStart(placement, track, x), UndoKind::DropSource);
  snapLine_.reset();
  host_.Repaint(RedrawMask::TrackArea | RedrawMask::ClipCollection);
  return placed;
}

void TrackAreaController::DragLeave() {
  targets_.clear();
  snapLine_.reset();
  host_.Repaint(RedrawMask::TrackArea);
}

void TrackAreaController::StartPendingPlacement(CSrc& source) {
  auto placement = std::make_unique<SourcePlacement>(doc_, source);
  if (placement->HasCandidates()) pending_ = std::move(placement);
}

std::optional<TimeMs> TrackAreaController::SnapLine() const {
  return doc_.preferences.snapToEdges ? snapLine_ : std::nullopt;
}

std::optional<SnapPull> TrackAreaController::SnapEdges(const std::vector<TimeMs>& edges,
                                                       std::vector<const CFilm*> dragged) const {
  if (!doc_.preferences.snapToEdges) return std::nullopt;
  return SnapPoints(doc_.timeline, doc_.times, dragged).Nearest(edges, View());
}

TimeMs TrackAreaController::PlacementStart(const SourcePlacement& placement, CTrack* track, int x) {
  const TimeMs start = SourcePlacement::StartFor(TimeAt(x), doc_.timeline.workArea);
  snapLine_.reset();
  if (!doc_.preferences.snapToEdges) return start;
  const auto snapped = placement.SnapStart(doc_, track, start, SnapPoints(doc_.timeline, doc_.times, {}), View());
  if (!snapped) return start;
  snapLine_ = snapped->point;
  return snapped->start;
}

}  // namespace vantorelle
