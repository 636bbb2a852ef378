#include "model/project_times.h"

#include <algorithm>

namespace vantorelle {

bool ProjectTimes::GrowProjectSize(TimeMs end) {
  if (end <= projectSize) return false;
  projectSize = end;
  return true;
}

bool ProjectTimes::SetCurrentTime(const std::string& typed, WorkArea& workArea) {
  std::string text = typed;
  ClampTimeText(text, 0.0, projectSize);
  const TimeMs t = ParseTimeText(text);
  const TimeMs width = workArea.Width();
  const TimeMs half = width / 2.0;
  bool moved = false;
  if (t > workArea.stop) {
    workArea.stop = std::min(t + half, projectSize);
    workArea.start = workArea.stop - width;
    moved = true;
  } else if (t < workArea.start) {
    workArea.start = std::max(t - half, 0.0);
    workArea.stop = workArea.start + width;
    moved = true;
  }
  timeMark = SnapToFrameFloor(t);
  return moved;
}

SetRangeDialog::SetRangeDialog(const ProjectTimes& times) : projectSize_(times.projectSize) {
  const bool present = times.RangePresent();
  left_ = FormatTimeFull(present ? times.rangeStart : 0.0);
  right_ = FormatTimeFull(present ? times.rangeStop : times.projectSize);
}

std::string SetRangeDialog::Size() const { return FormatTimeFull(ParseTimeText(right_) - ParseTimeText(left_)); }

void SetRangeDialog::ChangeLeft(std::string text) {
  ClampTimeText(text, 0.0, ParseTimeText(right_));
  left_ = std::move(text);
}

void SetRangeDialog::ChangeRight(std::string text) {
  ClampTimeText(text, ParseTimeText(left_), projectSize_);
  right_ = std::move(text);
}

void SetRangeDialog::Enter(std::string left, std::string right) {
  left_ = FormatTimeFull(0.0);
  ChangeRight(std::move(right));
  ChangeLeft(std::move(left));
}

void SetRangeDialog::Apply(ProjectTimes& times) const {
  times.rangeStart = SnapToFrameNearest(ParseTimeText(left_));
  times.rangeStop = SnapToFrameNearest(ParseTimeText(right_));
}

}  // namespace vantorelle
