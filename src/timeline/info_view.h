// The small info view beside the ruler: the range start, the range stop and
// the current time mark, top to bottom, in the current time display format.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/project_times.h"

namespace vantorelle {

struct InfoViewRow {
  std::string label;
  std::string text;
};

class CInfoView {
 public:
  static constexpr const char* kInitialText = "00:00:00:000";
  enum Row { RangeStart = 0, RangeStop = 1, CurrentTimeMark = 2 };

  CInfoView();

  // Called whenever the range or the time mark changed, from the ruler or
  // the track area; returns whether any text changed, so the shell can skip
  // a repaint.
  bool Update(const ProjectTimes& times, std::int32_t timeDisplayMode);

  const std::array<InfoViewRow, 3>& Rows() const { return rows_; }
  const std::string& Text(Row row) const { return rows_[row].text; }

 private:
  std::array<InfoViewRow, 3> rows_;
};

}  // namespace vantorelle
