// Every result of a board component that a caller checks passes through here.
#pragma once

#include <string>

#include "model/user_interface.h"
#include "playback/klp_result.h"

namespace vantorelle {

// True on success. Otherwise shows the system's text for the result in a
// warning box captioned "Error -- " + context and answers false, so the caller
// gives up its operation.
bool ReportComResult(IUserInterface& ui, KlpResult result, const std::string& context);

}  // namespace vantorelle
