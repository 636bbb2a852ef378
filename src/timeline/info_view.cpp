#include "timeline/info_view.h"

namespace vantorelle {

CInfoView::CInfoView()
    : rows_{{{"Range start", kInitialText}, {"Range stop", kInitialText}, {"Current time mark", kInitialText}}} {}

bool CInfoView::Update(const ProjectTimes& times, std::int32_t timeDisplayMode) {
  const std::array<std::string, 3> texts{FormatTimeDisplay(times.rangeStart, timeDisplayMode),
                                         FormatTimeDisplay(times.rangeStop, timeDisplayMode),
                                         FormatTimeDisplay(times.timeMark, timeDisplayMode)};
  bool changed = false;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].text == texts[i]) continue;
    rows_[i].text = texts[i];
    changed = true;
  }
  return changed;
}

}  // namespace vantorelle
