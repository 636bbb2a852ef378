#include "playback/report_com_result.h"

namespace vantorelle {

bool ReportComResult(IUserInterface& ui, KlpResult result, const std::string& context) {
  if (KlpSucceeded(result)) return true;
  ui.ShowMessage(KlpResultText(result), "Error -- " + context, MessageIcon::Warning,
                 MessageButtons::Ok);
  return false;
}

}  // namespace vantorelle
