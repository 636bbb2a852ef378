// The time values a project steers by besides its clips: the current time
// mark, the range and the project size, with the rules of the "Set current
// time" and "Set Range" dialogs.
#pragma once

#include <string>

#include "model/time_base.h"
#include "model/work_area.h"

namespace vantorelle {

struct ProjectTimes {
  TimeMs timeMark = 0.0;
  TimeMs rangeStart = 0.0;
  TimeMs rangeStop = 0.0;
  TimeMs projectSize = 20000.0;

  // A range exists when it is at least a millisecond long.
  bool RangePresent() const { return rangeStop - rangeStart >= 1.0; }
  // Returns true when the size grew.
  bool GrowProjectSize(TimeMs end);

  // The "Set current time" dialog's OK: the typed time (clamped to the
  // project) becomes the time mark on the frame grid; a time outside the
  // work area moves it so the time stands half a width inside. True when
  // the work area moved (the views then rescroll and rebuild the zoom).
  bool SetCurrentTime(const std::string& typed, WorkArea& workArea);
};

// The "Set Range" dialog: Left, Right and Size fields as time texts.
class SetRangeDialog {
 public:
  explicit SetRangeDialog(const ProjectTimes& times);

  const std::string& Left() const { return left_; }
  const std::string& Right() const { return right_; }
  std::string Size() const;

  // Typed texts are clamped: Left to [0, Right], Right to [Left, project size].
  void ChangeLeft(std::string text);
  void ChangeRight(std::string text);
  // Both fields filled anew, as one request: the range the texts give,
  // whatever the dialog showed before (Right is clamped first, against the
  // start of the project, then Left against it).
  void Enter(std::string left, std::string right);
  // Stores the range on the nearest frames. No undo step is recorded.
  void Apply(ProjectTimes& times) const;

 private:
  TimeMs projectSize_;
  std::string left_;
  std::string right_;
};

}  // namespace vantorelle
