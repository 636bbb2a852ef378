// `media-info FILE...`: each file as the Clip Collection would take it.
#pragma once

#include <string>
#include <vector>

#include "playback/klp_interfaces.h"

namespace vantorelle::cli {

// Prints a JSON array to stdout; answers the exit status (1 when any file was refused).
int RunMediaInfo(IKlpComponentFactory& factory, const std::vector<std::string>& files);

}  // namespace vantorelle::cli
