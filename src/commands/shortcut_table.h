// The keyboard shortcut table the document owns: the built-in shortcuts, the
// ones in force, and the command table they point into. It answers the menu,
// status-line and tip texts of a command and which command a key press runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands/command_table.h"
#include "document/settings_store.h"
#include "document/shortcut_table_hook.h"

namespace vantorelle {

// One key combination bound to one command in one place. The flags are 0 or
// 1; the key is a Windows virtual-key code.
struct CShortCut {
  std::int32_t commandId = 0;
  CommandGroup group = CommandGroup::Global;
  std::int32_t shift = 0;
  std::int32_t ctrl = 0;
  std::int32_t key = 0;
  bool operator==(const CShortCut&) const = default;
};

using ShortCutList = std::vector<CShortCut>;

// The settings store's record of one shortcut: command id, group, shift, ctrl
// and key as five little-endian int32 (20 bytes).
inline constexpr std::size_t kShortCutRecordSize = 20;
SettingsBytes ShortCutRecordBytes(const CShortCut& shortcut);
// Nothing when the record is shorter than 20 bytes.
std::optional<CShortCut> ReadShortCutRecord(const SettingsBytes& bytes);

inline constexpr const char* kShortCutSection = "ShortCutTable";
inline constexpr const char* kShortCutCounterName = "ShortCut Counter";
std::string ShortCutValueName(std::size_t index);  // "ShortCut_%d", counted from 0

// Nothing on a first run, without the section or without a usable counter;
// otherwise every stored shortcut in order, skipping missing or unreadable
// ones.
std::optional<ShortCutList> LoadShortCutList(const ISettingsStore& store, bool firstRun);
void SaveShortCutList(ISettingsStore& store, const ShortCutList& shortcuts);

// The shortcuts a new installation starts with.
ShortCutList DefaultShortCutList();

// Where a matched key press goes: the command and the pane that receives it
// (Global stands for the main window).
struct RoutedCommand {
  std::int32_t commandId = 0;
  CommandGroup target = CommandGroup::Global;
  bool operator==(const RoutedCommand&) const = default;
};

class CShortCutTable : public IDocumentShortcutTable {
 public:
  // Holds the built-in table as the current one until something is loaded.
  CShortCutTable();

  void LoadOrBuildDefault(const ISettingsStore& store, bool firstRun) override;
  void Save(ISettingsStore& store) override;

  const ShortCutList& DefaultShortcuts() const { return defaults_; }
  const ShortCutList& CurrentShortcuts() const { return current_; }
  void SetCurrentShortcuts(ShortCutList shortcuts) { current_ = std::move(shortcuts); }
  const std::vector<CCommandInfo>& Commands() const { return commands_; }

  // Nothing for an id the command table does not know.
  const CCommandInfo* FindCommand(std::int32_t id) const;
  // The first current shortcut of the command, if any.
  const CShortCut* FirstShortcut(std::int32_t id) const;

  // Display name, then a tab and the first shortcut's text; empty for an
  // unknown id.
  std::string MenuText(std::int32_t id) const;
  // The same with the name the command carries at the moment (Undo and Redo
  // name their step).
  std::string MenuText(std::int32_t id, const std::string& shownName) const;
  // The description's first two lines run together, then " - " and the first
  // shortcut's text (status line).
  std::string PromptText(std::int32_t id) const;
  // The short name, then " - " and the first shortcut's text (tips).
  std::string ShortNameText(std::int32_t id) const;
  std::string ShortNameText(std::int32_t id, const std::string& shownName) const;
  // The description as stored, line feed included; empty for an unknown id.
  std::string Description(std::int32_t id) const;

  // The categories in command order, each once regardless of case, then
  // "All Commands".
  std::vector<std::string> CategoryList() const;

  // The first current shortcut of the group with that key and exactly these
  // modifier states.
  std::optional<std::int32_t> MatchKey(CommandGroup group, std::int32_t key, bool ctrl, bool shift) const;
  // A key press over a pane: the pane's own shortcuts first, then the global
  // ones, which go to the main window.
  std::optional<RoutedCommand> RouteKey(CommandGroup paneGroup, std::int32_t key, bool ctrl, bool shift) const;

 private:
  ShortCutList defaults_;
  ShortCutList current_;
  std::vector<CCommandInfo> commands_;
};

inline constexpr const char* kAllCommandsCategory = "All Commands";
// Categories are compared without regard to case.
bool SameCategory(const std::string& a, const std::string& b);

// The description split at its first line feed; the second line is empty
// when there is none.
std::pair<std::string, std::string> DescriptionLines(const std::string& description);

}  // namespace vantorelle
