#include "shortcut_command.h"

#include <cstdio>

#include "commands/key_names.h"
#include "commands/shortcut_file.h"
#include "commands/shortcut_table.h"
#include "json_text.h"

namespace vantorelle::cli {

int RunShortcuts(const std::optional<std::string>& path) {
  CShortCutTable table;
  ShortCutList shortcuts = table.DefaultShortcuts();
  if (path) {
    ShortcutFileLoad load = LoadShortcutFile(*path);
    if (!load.Ok()) {
      // The fixed text, then the system's reason on a line of its own.
      std::fprintf(stderr, "vantorelle-cli: %s: %s\n", path->c_str(), load.error.c_str());
      if (!load.reason.empty()) std::fprintf(stderr, "%s\n", load.reason.c_str());
      return 1;
    }
    shortcuts = std::move(load.shortcuts);
  }
  std::string out = "[";
  for (std::size_t i = 0; i < shortcuts.size(); ++i) {
    const CShortCut& shortcut = shortcuts[i];
    const CCommandInfo* command = table.FindCommand(shortcut.commandId);
    out += i ? ",\n " : "\n ";
    out += JsonObject()
               .Add("commandId", static_cast<long long>(shortcut.commandId))
               .Add("command", command ? command->displayName : std::string())
               .Add("category", command ? command->category : std::string())
               .Add("group", static_cast<long long>(shortcut.group))
               .Add("keys", ShortcutText(shortcut))
               .Text();
  }
  out += shortcuts.empty() ? "]\n" : "\n]\n";
  std::fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace vantorelle::cli
