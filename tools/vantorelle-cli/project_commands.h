// vantorelle-cli dump and resave: project files as JSON, and a project
// opened and written again the way the editor would.
#pragma once

#include <string>

#include "document/settings_store.h"
#include "playback/klp_interfaces.h"

namespace vantorelle::cli {

int RunDump(const std::string& path);
// Missing sources are not asked for: they stay, offline, with their clips
// and are named on stderr and in the JSON.
int RunResave(IKlpComponentFactory& factory, ISettingsStore& store, bool firstRun, const std::string& in,
              const std::string& out);

}  // namespace vantorelle::cli
