#include "timeline/ruler_controller.h"

#include <algorithm>

namespace vantorelle {

RulerController::RulerController(CVantorelleDoc& doc, WorkAreaNavigator& navigator, IViewHost& host,
                                 ITimerService& timers, TextWidth textWidth)
    : doc_(doc), navigator_(navigator), host_(host), timers_(timers), textWidth_(std::move(textWidth)) {}

RulerTicks RulerController::Layout() {
  RulerTicks ticks = LayOutRuler(doc_.rulerSteps, doc_.timeline.workArea, doc_.times.projectSize, width_,
                                 doc_.preferences.timeDisplayMode, textWidth_);
  doc_.rulerStep = ticks.step;
  return ticks;
}

void RulerController::Refresh() { host_.Repaint(RedrawMask::Ruler | RedrawMask::TrackArea); }

void RulerController::OnMouseDown(int x, int y) {
  lastX_ = x;
  const WorkArea& area = doc_.timeline.workArea;
  const TimeMs t = View().PixelToTime(x);
  if (y >= RulerGeometry::Baseline && y <= RulerGeometry::RangeStripBottom) {
    rangeDrag_ = true;
    anchor_ = SnapToFrameFloor(t);
  }
  timeDrag_ = true;
  TimeMs mark = SnapToFrameFloor(t);
  if (mark < area.start) mark += CurrentVideoStandard().FrameDelta;
  doc_.times.timeMark = mark;
  if (MarkUnderMouse()) doc_.timeline.marks[static_cast<std::size_t>(markUnderMouse_)].time = t;
  host_.SetMouseCapture(true);
  Refresh();
}

void RulerController::DragTo(int x) {
  const WorkArea& area = doc_.timeline.workArea;
  const TimeMs t = std::clamp(View().PixelToTime(x), area.start, area.stop);
  if (rangeDrag_) {
    const TimeMs snapped = SnapToFrameFloor(t);
    doc_.times.rangeStart = std::min(anchor_, snapped);
    doc_.times.rangeStop = std::max(anchor_, snapped);
    doc_.times.timeMark = snapped;
  } else {
    doc_.times.timeMark = SnapToFrameFloor(t);
  }
  Refresh();
}

void RulerController::OnMouseMove(int x, int y) {
  lastX_ = x;
  if (rangeDrag_ || timeDrag_) {
    DragTo(x);
    const int left = rangeDrag_ ? kRangeLeftTimer : kTimeLeftTimer;
    const int right = rangeDrag_ ? kRangeRightTimer : kTimeRightTimer;
    SetTimer(x < 0 ? left : x > width_ ? right : 0);
    return;
  }
  markUnderMouse_ = -1;
  const WorkAreaView view = View();
  for (std::size_t i = 0; i < doc_.timeline.marks.size(); ++i) {
    const int mx = view.TimeToPixel(doc_.timeline.marks[i].time);
    if (x >= mx - 3 && x <= mx + 3 && y >= RulerGeometry::MajorTickTop && y <= RulerGeometry::Baseline) {
      markUnderMouse_ = static_cast<int>(i);
    }
  }
}

void RulerController::SetTimer(int wanted) {
  if (wanted == runningTimer_) return;
  KillTimers();
  if (wanted) timers_.StartTimer(wanted, wanted <= kRangeRightTimer ? 250 : 100);
  runningTimer_ = wanted;
}

void RulerController::KillTimers() {
  if (runningTimer_) timers_.KillTimer(runningTimer_);
  runningTimer_ = 0;
}

void RulerController::OnTimer(int id) {
  if (id != runningTimer_ || id == 0) return;
  const bool left = id == kRangeLeftTimer || id == kTimeLeftTimer;
  const WorkArea& area = doc_.timeline.workArea;
  if ((left && area.start <= 0.0) || (!left && area.stop >= doc_.times.projectSize)) {
    KillTimers();
    return;
  }
  navigator_.Scroll(left ? ScrollCode::LineLeft : ScrollCode::LineRight);
  // The dragged value follows to the new edge of the work area.
  DragTo(left ? 0 : width_ - 1);
}

void RulerController::OnMouseUp(int, int) {
  if (rangeDrag_) {
    const WorkAreaView view = View();
    if (view.TimeToPixel(doc_.times.rangeStop) - view.TimeToPixel(doc_.times.rangeStart) < 2) {
      doc_.times.rangeStart = doc_.times.rangeStop = 0.0;
    }
  }
  const bool dragged = rangeDrag_ || timeDrag_;
  rangeDrag_ = timeDrag_ = false;
  KillTimers();
  if (dragged) {
    host_.SetMouseCapture(false);
    host_.Repaint(RedrawMask::All);
  }
}

void RulerController::OnDoubleClick() {
  TimeMs end = 0.0;
  for (const auto& track : doc_.timeline.tracks) {
    for (const auto& clip : track->clips) end = std::max(end, clip->End());
  }
  doc_.times.rangeStart = 0.0;
  doc_.times.rangeStop = end;
  host_.Repaint(RedrawMask::All);
}

const CUMark* RulerController::MarkUnderMouse() const {
  if (markUnderMouse_ < 0 || markUnderMouse_ >= static_cast<int>(doc_.timeline.marks.size())) return nullptr;
  return &doc_.timeline.marks[static_cast<std::size_t>(markUnderMouse_)];
}

std::string RulerController::TooltipText() const {
  const CUMark* mark = MarkUnderMouse();
  if (!mark) return {};
  const std::string& comment = mark->comments;
  return comment.size() >= 301 ? comment.substr(0, 299) : comment;
}

std::vector<MenuItem> RulerController::ContextMenu(int x, int y) {
  menuX_ = x;
  menuY_ = y;
  MenuItem setTime;
  setTime.id = RulerCommand::SetCurrentTime;
  setTime.text = "Set current time...";
  MenuItem setRange;
  setRange.id = RulerCommand::SetRange;
  setRange.text = "Set range...";
  return {setTime, setRange};
}

}  // namespace vantorelle
