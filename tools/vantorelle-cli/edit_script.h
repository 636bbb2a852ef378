// vantorelle-cli run: a project opened (or started new), edited by a script
// of one command a line, and saved. A bad line stops the script and nothing
// is saved (exit status 1). A line the editor refuses (a command not
// available now, a paste onto occupied room, no room to repeat ...) is
// reported and the script goes on; what it did is saved and the exit status
// is 3.
#pragma once

#include <istream>
#include <optional>
#include <string>

#include "document/settings_store.h"
#include "playback/klp_interfaces.h"

namespace vantorelle::cli {

struct ScriptSettings {
  ISettingsStore& store;
  bool firstRun = true;
};

// The exit status when every line was done but some were refused.
inline constexpr int kSomeLinesRefused = 3;

// in is a project file or the word "new".
int RunEditScript(IKlpComponentFactory& factory, const ScriptSettings& settings, const std::string& in,
                  const std::string& out, std::istream& script);

struct TmlImportRequest {
  std::string tmlFile;
  std::optional<double> pasteAt;  // ms
};

// in (a project file or "new") opened, the *.tml file imported as the
// script's "import" line does (the question about surplus slots answered
// with OK), the clip clipboard pasted at pasteAt when given, and the project
// saved. A file that cannot be imported saves nothing (exit status 1); a
// refused paste is reported and the import saved without it (exit status
// kSomeLinesRefused).
int RunTmlImport(IKlpComponentFactory& factory, const ScriptSettings& settings, const TmlImportRequest& request,
                 const std::string& in, const std::string& out);

}  // namespace vantorelle::cli
