#include "commands/key_dispatch.h"

#include <utility>

namespace vantorelle {
namespace {

ICommandPane* PaneOf(const ShortcutPanes& panes, CommandGroup group) {
  switch (group) {
    case CommandGroup::TracksView: return panes.tracksView;
    case CommandGroup::TrackHeaders: return panes.trackHeaders;
    case CommandGroup::ClipCollection: return panes.clipCollection;
    case CommandGroup::TimeRuler: return panes.timeRuler;
    case CommandGroup::FavouriteDirectories: return panes.favouriteDirectories;
    case CommandGroup::Global: return panes.mainWindow;
  }
  return nullptr;
}

}  // namespace

CommandGroup PaneGroupAt(const ShortcutPanes& panes, int screenX, int screenY) {
  const std::pair<ICommandPane*, CommandGroup> order[] = {
      {panes.tracksView, CommandGroup::TracksView},
      {panes.trackHeaders, CommandGroup::TrackHeaders},
      {panes.clipCollection, CommandGroup::ClipCollection},
      {panes.timeRuler, CommandGroup::TimeRuler},
      {panes.favouriteDirectories, CommandGroup::FavouriteDirectories},
  };
  for (const auto& [pane, group] : order) {
    if (pane && pane->ContainsPoint(screenX, screenY)) return group;
  }
  return CommandGroup::Global;
}

bool DispatchShortcut(const CShortCutTable& table, const ShortcutPanes& panes, const KeyDown& key, int screenX,
                      int screenY) {
  const CommandGroup group = PaneGroupAt(panes, screenX, screenY);
  const auto routed = table.RouteKey(group, static_cast<std::int32_t>(key.virtualKey), key.ctrl, key.shift);
  if (!routed) return false;
  ICommandPane* target = PaneOf(panes, routed->target);
  if (!target) return false;
  target->OnCommand(routed->commandId);
  return true;
}

}  // namespace vantorelle
