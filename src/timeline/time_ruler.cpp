#include "timeline/time_ruler.h"

#include <algorithm>
#include <utility>

namespace vantorelle {

namespace {

using namespace TimeRulerGeometry;

constexpr std::uint32_t kRulerAndTrackArea = RedrawMask::Ruler | RedrawMask::TrackArea;
constexpr int kTimeLineRepaintHalfWidth = 2;

bool InRangeStrip(int y) { return y >= kRangeStripTop && y < kRangeStripBottom; }

TimeMs LargestClipEnd(const CTimelineData& timeline) {
  TimeMs end = 0.0;
  for (const auto& track : timeline.tracks) {
    for (const auto& clip : track->clips) end = std::max(end, clip->End());
  }
  return end;
}

}  // namespace

CTimeLine::CTimeLine(CVantorelleDoc& doc, WorkAreaNavigator& navigator, IViewHost& host, ITimerService& timers,
                     RulerFont font)
    : doc_(doc), navigator_(navigator), host_(host), timers_(timers), font_(std::move(font)) {}

void CTimeLine::SetClientSize(int width, int height) {
  width_ = width;
  height_ = height;
}

TimeRulerPicture CTimeLine::Draw() {
  TimeRulerPicture picture;
  picture.width = width_;
  picture.height = height_;
  picture.scale = ComputeRulerLayout(RulerLayoutInput{doc_.rulerSteps, doc_.timeline.workArea, doc_.times.projectSize,
                                                      width_, doc_.preferences.timeDisplayMode},
                                     font_);
  doc_.rulerStep = picture.scale.step;
  picture.labelTop = LabelTop(font_.height);
  picture.rangeStrip = PixelRect{0, kRangeStripTop, width_, kRangeStripBottom};

  const WorkAreaView view = View();
  if (RangeShown()) {
    // Clipped to the view, so far-away ends stay small numbers.
    const int left = std::clamp(view.TimeToPixel(doc_.times.rangeStart), -1, width_);
    const int right = std::clamp(view.TimeToPixel(doc_.times.rangeStop), -1, width_);
    picture.rangeBar = PixelRect{left, kRangeBarTop, right, kRangeBarBottom};
  }
  for (const CUMark& mark : doc_.timeline.marks) {
    const int x = view.TimeToPixel(mark.time);
    if (x < -kMarkHalfWidth || x > width_ + kMarkHalfWidth) continue;
    RulerMarkPicture markPicture;
    markPicture.triangle = {RulerPoint{x - kMarkHalfWidth, kBaseline}, RulerPoint{x, kMarkTop},
                            RulerPoint{x + kMarkHalfWidth, kBaseline}};
    markPicture.namePosition = RulerPoint{x, MarkNameTop(font_.height)};
    markPicture.name = mark.name;
    markPicture.colour = mark.Colour();
    picture.marks.push_back(std::move(markPicture));
  }
  const WorkArea& area = doc_.timeline.workArea;
  if (doc_.times.timeMark >= area.start && doc_.times.timeMark <= area.stop) {
    picture.currentTimeX = view.TimeToPixel(doc_.times.timeMark);
  }
  return picture;
}

void CTimeLine::OnLeftButtonDown(const MouseEvent& event) {
  const TimeMs t = View().PixelToTime(event.x);
  if (InRangeStrip(event.y)) {
    rangeDrag_ = true;
    anchor_ = SnapToFrameFloor(t);
  }
  timeDrag_ = true;
  TimeMs mark = SnapToFrameFloor(t);
  // Flooring may step out of the view; the next frame on the grid is inside.
  if (mark < doc_.timeline.workArea.start) mark += SnappingFrameLength();
  doc_.times.timeMark = mark;
  if (MarkUnderMouse()) doc_.timeline.marks[static_cast<std::size_t>(markUnderMouse_)].time = t;
  host_.SetMouseCapture(true);
  host_.Repaint(kRulerAndTrackArea);
  TimesChanged();
}

void CTimeLine::OnMouseMove(const MouseEvent& event) {
  if (rangeDrag_) {
    FollowEdge(event.x, kRangeLeftTimer, kRangeRightTimer, kRangeTimerMs);
    DragRangeTo(event.x);
  } else if (timeDrag_) {
    FollowEdge(event.x, kTimeLeftTimer, kTimeRightTimer, kTimeTimerMs);
    DragTimeTo(event.x);
  } else {
    markUnderMouse_ = FindMarkAt(event.x, event.y);
  }
}

void CTimeLine::DragRangeTo(int x) {
  const WorkArea& area = doc_.timeline.workArea;
  const TimeMs t = std::clamp(SnapToFrameFloor(View().PixelToTime(x)), area.start, area.stop);
  doc_.times.rangeStart = std::min(anchor_, t);
  doc_.times.rangeStop = std::max(anchor_, t);
  doc_.times.timeMark = t;
  host_.Repaint(kRulerAndTrackArea);
  TimesChanged();
}

void CTimeLine::DragTimeTo(int x) {
  const WorkAreaView view = View();
  const WorkArea& area = doc_.timeline.workArea;
  const TimeMs t = std::clamp(view.PixelToTime(x), area.start, area.stop);
  const int oldX = view.TimeToPixel(doc_.times.timeMark);
  doc_.times.timeMark = SnapToFrameFloor(t);
  RepaintTimeLine(oldX);
  RepaintTimeLine(view.TimeToPixel(doc_.times.timeMark));
  // The same line runs over the track area, and the window's time texts
  // follow the mark as it is dragged.
  host_.Repaint(RedrawMask::TrackArea);
  TimesChanged();
}

void CTimeLine::RepaintTimeLine(int x) {
  host_.RepaintRect(PixelRect{x - kTimeLineRepaintHalfWidth, 0, x + kTimeLineRepaintHalfWidth + 1, height_});
}

void CTimeLine::FollowEdge(int x, int leftTimer, int rightTimer, int intervalMs) {
  const int wanted = x < 0 ? leftTimer : x >= width_ ? rightTimer : 0;
  if (wanted == runningTimer_) return;  // a restart would hold the scroll back
  StopTimer();
  if (wanted == 0) return;
  timers_.StartTimer(wanted, intervalMs);
  runningTimer_ = wanted;
}

void CTimeLine::StopTimer() {
  if (runningTimer_ != 0) timers_.KillTimer(runningTimer_);
  runningTimer_ = 0;
}

void CTimeLine::OnTimer(int id) {
  if (id == 0 || id != runningTimer_) return;
  const bool left = id == kRangeLeftTimer || id == kTimeLeftTimer;
  auto atEnd = [&] {
    const WorkArea& area = doc_.timeline.workArea;
    return left ? area.start <= 0.0 : area.stop >= doc_.times.projectSize;
  };
  // A mouse back inside has killed the timer already (OnMouseMove).
  if (atEnd()) {
    StopTimer();
    return;
  }
  navigator_.Scroll(left ? ScrollCode::LineLeft : ScrollCode::LineRight);
  // The dragged value goes with the edge the view scrolled to.
  const int edgeX = left ? 0 : width_ - 1;
  if (rangeDrag_) {
    DragRangeTo(edgeX);
  } else if (timeDrag_) {
    DragTimeTo(edgeX);
  }
  if (atEnd()) StopTimer();
}

void CTimeLine::OnLeftButtonUp(const MouseEvent&) {
  const bool dragging = rangeDrag_ || timeDrag_;
  if (rangeDrag_) {
    const WorkAreaView view = View();
    if (view.TimeToPixel(doc_.times.rangeStop) - view.TimeToPixel(doc_.times.rangeStart) < 2) {
      doc_.times.rangeStart = 0.0;
      doc_.times.rangeStop = 0.0;
    }
  }
  rangeDrag_ = false;
  timeDrag_ = false;
  StopTimer();
  if (!dragging) return;
  host_.Repaint(kRulerAndTrackArea);
  host_.SetMouseCapture(false);
  TimesChanged();
}

void CTimeLine::OnLeftDoubleClick(const MouseEvent&) {
  doc_.times.rangeStart = 0.0;
  doc_.times.rangeStop = LargestClipEnd(doc_.timeline);
  host_.Repaint(kRulerAndTrackArea);
  TimesChanged();
}

std::vector<MenuItem> CTimeLine::OpenContextMenu(int x, int y) {
  menuPoint_ = RulerPoint{x, y};
  MenuItem setTime;
  setTime.id = TimeRulerMenu::kSetCurrentTime;
  setTime.text = "Set current time...";
  MenuItem setRange;
  setRange.id = TimeRulerMenu::kSetRange;
  setRange.text = "Set range...";
  return {setTime, setRange};
}

TimeRulerChoice CTimeLine::ChooseMenuItem(int id) {
  switch (id) {
    case TimeRulerMenu::kSetCurrentTime: return TimeRulerChoice::SetCurrentTimeDialog;
    case TimeRulerMenu::kSetRange: return TimeRulerChoice::SetRangeDialog;
    default: return TimeRulerChoice::None;
  }
}

void CTimeLine::ApplyCurrentTime(const std::string& typed) {
  WorkArea area = doc_.timeline.workArea;
  if (doc_.times.SetCurrentTime(typed, area)) navigator_.ApplyWorkArea(area);
  navigator_.RebuildZoomLadder();
  host_.Repaint(kRulerAndTrackArea);
  TimesChanged();
}

void CTimeLine::ApplyRange(const SetRangeDialog& dialog) {
  dialog.Apply(doc_.times);
  host_.Repaint(kRulerAndTrackArea);
  TimesChanged();
}

int CTimeLine::FindMarkAt(int x, int y) const {
  if (y < kMarkTop || y > kBaseline) return -1;
  const WorkAreaView view = View();
  // The last one drawn lies on top.
  for (int i = static_cast<int>(doc_.timeline.marks.size()) - 1; i >= 0; --i) {
    const int markX = view.TimeToPixel(doc_.timeline.marks[static_cast<std::size_t>(i)].time);
    if (x >= markX - kMarkHalfWidth && x <= markX + kMarkHalfWidth) return i;
  }
  return -1;
}

const CUMark* CTimeLine::MarkUnderMouse() const {
  if (markUnderMouse_ < 0 || markUnderMouse_ >= static_cast<int>(doc_.timeline.marks.size())) return nullptr;
  return &doc_.timeline.marks[static_cast<std::size_t>(markUnderMouse_)];
}

std::string CTimeLine::TooltipText() const {
  const CUMark* mark = MarkUnderMouse();
  if (!mark) return {};
  const std::string& comment = mark->comments;
  return comment.size() >= kTooltipCutFrom ? comment.substr(0, kTooltipKept) : comment;
}

void CTimeLine::TimesChanged() {
  if (infoView_) infoView_->Update(doc_.times, doc_.preferences.timeDisplayMode);
}

}  // namespace vantorelle
