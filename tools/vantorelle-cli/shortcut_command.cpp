#include "shortcut_command.h"

#include <cstdio>

#include "commands/key_names.h"
#include "commands/shortcut_file.h"
#include "commands/shortcut_table.h"
#include "json_output.h"

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
  Json out = Json::array();
  for (const CShortCut& shortcut : shortcuts) {
    const CCommandInfo* command = table.FindCommand(shortcut.commandId);
    const std::string text = ShortcutText(shortcut);
    Json item = {{"commandId", shortcut.commandId}};
    PutText(item, "command", command ? command->displayName : std::string());
    PutText(item, "category", command ? command->category : std::string());
    item["group"] = static_cast<std::int32_t>(shortcut.group);
    // The flags as stored (0 or 1 in a table the editor wrote) and the
    // Windows virtual-key code, so a script can rebuild the table exactly.
    item["ctrl"] = shortcut.ctrl;
    item["shift"] = shortcut.shift;
    item["key"] = shortcut.key;
    PutText(item, "text", text);
    PutText(item, "keys", text);
    out.push_back(std::move(item));
  }
  PrintJson(out);
  return 0;
}

}  // namespace vantorelle::cli
