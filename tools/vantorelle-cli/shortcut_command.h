// vantorelle-cli shortcuts: a shortcut table (the built-in one, or a .vrk
// file) as JSON: each binding's command, place, flags and virtual-key code,
// with the command names and key texts the menus show.
#pragma once

#include <optional>
#include <string>

namespace vantorelle::cli {

int RunShortcuts(const std::optional<std::string>& path);

}  // namespace vantorelle::cli
