// Feeds arbitrary bytes to the shortcut table file reader. A list it accepts
// must come back unchanged through the writer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "commands/shortcut_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const vantorelle::ShortcutFileLoad load = vantorelle::ParseShortcutFile(bytes);
  if (!load.Ok()) {
    if (!load.shortcuts.empty()) __builtin_trap();
    return 0;
  }
  const vantorelle::ShortcutFileLoad again = vantorelle::ParseShortcutFile(vantorelle::ShortcutFileBytes(load.shortcuts));
  if (!again.Ok() || again.shortcuts != load.shortcuts) __builtin_trap();
  return 0;
}
