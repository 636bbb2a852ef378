// vantorelle-cli run: a project opened (or started new), edited by a script
// of one command a line, and saved. A bad line stops the script and nothing
// is saved.
#pragma once

#include <istream>
#include <string>

#include "document/settings_store.h"
#include "playback/klp_interfaces.h"

namespace vantorelle::cli {

struct ScriptSettings {
  ISettingsStore& store;
  bool firstRun = true;
};

// in is a project file or the word "new".
int RunEditScript(IKlpComponentFactory& factory, const ScriptSettings& settings, const std::string& in,
                  const std::string& out, std::istream& script);

}  // namespace vantorelle::cli
