// The table of every user command: its id, the place it applies to (the
// whole program or one pane) and the texts the menus, tips, status line and
// the "Customize Keyboard" window show for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantorelle {

// Where a command or a shortcut applies. Stored as a 32-bit number in the
// settings store and in shortcut files, so the values are fixed.
enum class CommandGroup : std::int32_t {
  Global = 1,
  TracksView = 2,
  TrackHeaders = 3,
  ClipCollection = 4,
  TimeRuler = 5,
  FavouriteDirectories = 6,
};

struct CCommandInfo {
  std::string displayName;
  std::string category;
  // A line feed splits it into the two lines the keyboard window shows.
  std::string description;
  // What tool tips show; empty for commands local to a pane.
  std::string shortName;
  std::int32_t id = 0;
  CommandGroup group = CommandGroup::Global;
  bool operator==(const CCommandInfo&) const = default;
};

// Every command, in the order the keyboard window lists them.
std::vector<CCommandInfo> BuildCommandTable();

}  // namespace vantorelle
