#include "timeline/info_view_texts.h"

namespace vantorelle {

std::array<std::pair<std::string, std::string>, 3> InfoViewTexts(const CVantorelleDoc& doc) {
  const std::int32_t mode = doc.preferences.timeDisplayMode;
  return {{{"Range start", FormatTimeDisplay(doc.times.rangeStart, mode)},
           {"Range stop", FormatTimeDisplay(doc.times.rangeStop, mode)},
           {"Current time mark", FormatTimeDisplay(doc.times.timeMark, mode)}}};
}

}  // namespace vantorelle
