// Keyboard shortcuts on their way to a pane: the pane under the pointer
// decides whose shortcuts are tried first; global shortcuts go to the main
// window.
#pragma once

#include "commands/shortcut_table.h"
#include "document/vantorelle_app.h"

namespace vantorelle {

// A window that takes commands: the main window or one of its panes.
class ICommandPane {
 public:
  virtual ~ICommandPane() = default;
  // In screen coordinates, so one pointer position serves every pane.
  virtual bool ContainsPoint(int screenX, int screenY) const = 0;
  virtual void OnCommand(int commandId) = 0;
};

// The panes in the order they are tried; any may be missing.
struct ShortcutPanes {
  ICommandPane* tracksView = nullptr;
  ICommandPane* trackHeaders = nullptr;
  ICommandPane* clipCollection = nullptr;
  ICommandPane* timeRuler = nullptr;
  ICommandPane* favouriteDirectories = nullptr;
  ICommandPane* mainWindow = nullptr;
};

// The group of the pane under the pointer (Global over anything else).
CommandGroup PaneGroupAt(const ShortcutPanes& panes, int screenX, int screenY);

// True when a shortcut matched and its command was sent: the key press is
// then not handled any further.
bool DispatchShortcut(const CShortCutTable& table, const ShortcutPanes& panes, const KeyDown& key, int screenX,
                      int screenY);

}  // namespace vantorelle
