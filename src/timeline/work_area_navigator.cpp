#include "timeline/work_area_navigator.h"

#include <algorithm>
#include <vector>

#include "model/number_limits.h"

namespace vantorelle {

WorkAreaNavigator::WorkAreaNavigator(CVantorelleDoc& doc, IWorkAreaDisplay& display, IViewHost& host,
                                     ITimerService& timers)
    : doc_(doc), display_(display), host_(host), timers_(timers) {
  scrollPosition_ = ClampedCast<int>(doc_.timeline.workArea.start);
}

void WorkAreaNavigator::RebuildZoomLadder() {
  const WorkArea area = doc_.timeline.workArea;
  const TimeMs projectSize = doc_.times.projectSize;
  const TimeMs width = area.Width();
  const TimeMs centre = area.start + width / 2.0;
  double frame = CurrentVideoStandard().FrameDelta;
  if (frame == 0.0) frame = 40.0;
  const TimeMs narrowest = 2.0 * frame;

  std::vector<CZoomData> zoomIn;
  // A work area narrower than two frames still gets one entry of two frames;
  // the half-width shrinks towards zero otherwise. Halving 24 hours reaches
  // two frames in far fewer than 64 steps; the bound stops a width that is
  // no number from growing the ladder for ever.
  for (TimeMs half = width / 2.0;;) {
    half /= 2.0;
    if (!(2.0 * half >= narrowest) || zoomIn.size() >= 64) {
      zoomIn.emplace_back(centre - narrowest / 2.0, centre + narrowest / 2.0);
      break;
    }
    zoomIn.emplace_back(centre - half, centre + half);
  }
  std::vector<CZoomData> zoomOut;
  const bool wholeProject = area.start == 0.0 && area.stop == projectSize;
  // A work area of no width cannot double its way out; it stops at once.
  if (!wholeProject) {
    // Doubling reaches any project size well within 64 steps.
    for (TimeMs span = std::max(width, 1.0); zoomOut.size() < 64;) {
      span *= 2.0;
      CZoomData candidate(centre - span / 2.0, centre + span / 2.0);
      bool last = false;
      if (candidate.start < 0.0 && candidate.stop < projectSize) candidate.start = 0.0;
      if (candidate.stop > projectSize && candidate.start > 0.0) candidate.stop = projectSize;
      if (candidate.start <= 0.0 && candidate.stop >= projectSize) {
        candidate = CZoomData(0.0, projectSize);
        last = true;
      }
      zoomOut.push_back(candidate);
      if (last) break;
    }
  }
  doc_.zoomLadder.clear();
  doc_.zoomLadder.insert(doc_.zoomLadder.end(), zoomIn.rbegin(), zoomIn.rend());
  doc_.zoomLadder.emplace_back(area.start, area.stop);
  doc_.zoomLadder.insert(doc_.zoomLadder.end(), zoomOut.begin(), zoomOut.end());
  doc_.currentZoomIndex = static_cast<std::int32_t>(zoomIn.size());
}

void WorkAreaNavigator::ZoomIn() {
  if (doc_.currentZoomIndex <= 0 || doc_.zoomLadder.empty()) return;
  --doc_.currentZoomIndex;
  const CZoomData& entry = doc_.zoomLadder[static_cast<std::size_t>(doc_.currentZoomIndex)];
  ApplyWorkArea(WorkArea{entry.start, entry.stop});
}

void WorkAreaNavigator::ZoomOut() {
  if (doc_.currentZoomIndex + 1 >= static_cast<std::int32_t>(doc_.zoomLadder.size())) return;
  ++doc_.currentZoomIndex;
  const CZoomData& entry = doc_.zoomLadder[static_cast<std::size_t>(doc_.currentZoomIndex)];
  ApplyWorkArea(WorkArea{entry.start, entry.stop});
}

void WorkAreaNavigator::ZoomToProject() {
  ApplyWorkArea(WorkArea{0.0, doc_.times.projectSize});
  RebuildZoomLadder();
}

void WorkAreaNavigator::ZoomToRange() {
  if (doc_.times.rangeStart == 0.0 && doc_.times.rangeStop == 0.0) return;
  ApplyWorkArea(WorkArea{doc_.times.rangeStart, doc_.times.rangeStop});
  RebuildZoomLadder();
}

void WorkAreaNavigator::ZoomToClip(const CFilm& clip) {
  ApplyWorkArea(WorkArea{clip.start, clip.End()});
  RebuildZoomLadder();
}

void WorkAreaNavigator::Scroll(ScrollCode code, int thumbPosition) {
  WorkArea area = doc_.timeline.workArea;
  const TimeMs width = area.Width();
  const TimeMs step = doc_.rulerStep;
  const TimeMs projectSize = doc_.times.projectSize;
  // Every move starts from the work area itself, never from a scroll
  // position kept beside it, which Undo or a dialog may have left behind.
  switch (code) {
    case ScrollCode::LineLeft: area = WorkArea{area.start - step, area.stop - step}; break;
    case ScrollCode::LineRight: area = WorkArea{area.start + step, area.stop + step}; break;
    case ScrollCode::PageLeft: area = WorkArea{area.start - width, area.stop - width}; break;
    case ScrollCode::PageRight: area = WorkArea{area.start + width, area.stop + width}; break;
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack: area = WorkArea{static_cast<TimeMs>(thumbPosition), thumbPosition + width}; break;
    case ScrollCode::EndScroll: break;
  }
  if (area.start >= projectSize - width) area = WorkArea{projectSize - width, projectSize};
  if (area.start < 1.0) area = WorkArea{0.0, width};
  ApplyWorkArea(area);
  RebuildZoomLadder();
}

void WorkAreaNavigator::ShowWorkArea() {
  const WorkArea& area = doc_.timeline.workArea;
  WorkAreaDisplay display;
  display.scrollMax = ClampedCast<int>(doc_.times.projectSize - 1.0);
  display.scrollPage = ClampedCast<int>(area.Width());
  display.scrollPosition = ClampedCast<int>(area.start);
  scrollPosition_ = display.scrollPosition;
  display.startText = FormatTimeDisplay(area.start, doc_.preferences.timeDisplayMode);
  display.stopText = FormatTimeDisplay(area.stop, doc_.preferences.timeDisplayMode);
  display.frameImageSpan = area.Width() * 32.0 / std::max(clientWidth_ - 1, 1);
  display_.ShowWorkArea(display);
}

void WorkAreaNavigator::ApplyWorkArea(const WorkArea& area) {
  doc_.timeline.workArea = area;
  ShowWorkArea();
  host_.Repaint(RedrawMask::Ruler | RedrawMask::TrackArea);
}

void WorkAreaNavigator::StepCurrentTime(int frames) {
  const TimeMs projectSize = doc_.times.projectSize;
  WorkArea& area = doc_.timeline.workArea;
  const TimeMs width = area.Width();
  const TimeMs quarter = width / 4.0;
  TimeMs t = doc_.times.timeMark + frames * CurrentVideoStandard().FrameDelta;
  bool paged = false;
  if (frames > 0) {
    if (t > projectSize) t = projectSize;
    if (t <= area.start || t >= area.stop) {
      area.start = std::max(t - quarter, 0.0);
      area.stop = area.start + width;
      if (area.stop > projectSize) area = WorkArea{projectSize - width, projectSize};
      paged = true;
    }
  } else if (frames < 0) {
    if (t < 0.0) t = 0.0;
    if (t <= area.start || t >= area.stop) {
      area.stop = std::min(t + quarter, projectSize);
      area.start = area.stop - width;
      if (area.start < 0.0) area = WorkArea{0.0, width};
      paged = true;
    }
  }
  doc_.times.timeMark = t;
  if (paged) {
    ShowWorkArea();
    RebuildZoomLadder();
  }
  display_.ShowCurrentTime(t);
  host_.Repaint(RedrawMask::Ruler | RedrawMask::TrackArea);
}

void WorkAreaNavigator::OnWheel(int delta, const MouseEvent& buttons) {
  if (buttons.leftButton || buttons.rightButton) return;
  if (buttons.middleButton) {
    shuttleSpeed_ += delta > 0 ? 1 : -1;
    return;
  }
  shuttleSpeed_ = delta > 0 ? 1 : -1;
  StepCurrentTime(shuttleSpeed_);
}

void WorkAreaNavigator::OnMiddleButtonDown() {
  shuttleSpeed_ = 0;
  timers_.StartTimer(kShuttleTimer, kShuttleIntervalMs);
}

void WorkAreaNavigator::OnMiddleButtonUp() { timers_.KillTimer(kShuttleTimer); }

void WorkAreaNavigator::OnTimer(int id) {
  if (id == kShuttleTimer && shuttleSpeed_ != 0) StepCurrentTime(shuttleSpeed_);
}

}  // namespace vantorelle
