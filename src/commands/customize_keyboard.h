// The "Customize Keyboard" window without its widgets: it edits a copy of
// the current shortcut list, and only closing it with its close button puts
// the copy in force.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands/shortcut_table.h"
#include "model/user_interface.h"

namespace vantorelle {

inline constexpr const char* kKeyCapturePrompt = "Press the key to be used as shortcut";
inline constexpr const char* kShowTableText = "Show Table >>";
inline constexpr const char* kHideTableText = "<< Hide Table";
inline constexpr const char* kCurrentKeysLabel = "Current keys:";

inline constexpr const char* kLoadDefaultQuestion =
    "Are you shure you want to load default shortcut table?\nThis action will remove custom shortcut table.";
inline constexpr const char* kLoadDefaultTitle = "Load Default Shortcut Table.";
inline constexpr const char* kLoadFileQuestion =
    "Are you shure you want to load new shortcut table from file?\n"
    "This action will remove your current shortcut table.";
inline constexpr const char* kLoadFileQuestionTitle = "Load Shortcut Table From File.";
inline constexpr const char* kSaveFileDialogTitle = "Save Shortcut Table To File";
inline constexpr const char* kLoadFileDialogTitle = "Load Shortcut Table From File";

// The key window closes on the first key that is not a modifier, Escape,
// Tab or Enter: those keep their usual meaning in a dialog.
bool IsCapturableKey(std::int32_t key);

struct KeyboardTableRow {
  std::string command;   // category, "==", display name
  std::string shortcut;  // its shortcut text
  bool operator==(const KeyboardTableRow&) const = default;
};

struct KeyboardTableWidths {
  int command = 0;
  int shortcut = 0;
  bool operator==(const KeyboardTableWidths&) const = default;
};

class CustomizeKeyboardModel {
 public:
  // Takes a copy of the table's current list; the first category is chosen.
  CustomizeKeyboardModel(CShortCutTable& table, IUserInterface& ui);

  const std::vector<std::string>& Categories() const { return categories_; }
  std::size_t ChosenCategory() const { return category_; }
  // Clears the command selection; an index past the list is ignored.
  void ChooseCategory(std::size_t index);

  // The commands of the chosen category, every one for "All Commands".
  std::vector<const CCommandInfo*> ShownCommands() const;
  std::vector<std::string> ShownCommandNames() const;

  // Index into ShownCommands; past the list clears the selection.
  void SelectCommand(std::size_t index);
  const CCommandInfo* SelectedCommand() const;
  // The two description lines of the selected command (empty without one).
  std::pair<std::string, std::string> SelectedDescription() const;
  // The texts under "Current keys:": the selected command's shortcuts in
  // list order.
  std::vector<std::string> CurrentKeys() const;
  // Index into CurrentKeys; past the list clears the selection.
  void SelectCurrentKey(std::size_t index);
  std::optional<std::size_t> SelectedCurrentKey() const { return currentKey_; }

  // A key-down in the key window. False when the window stays open (a key it
  // does not take, or no command selected); otherwise the key is bound to the
  // selected command in its group, taking it away from whatever held the same
  // combination in that group.
  bool OfferCapturedKey(std::int32_t key, bool ctrl, bool shift);
  // Deletes the shortcut selected under "Current keys:"; false without one.
  bool RemoveSelectedShortcut();

  void ToggleTable() { tableShown_ = !tableShown_; }
  bool TableShown() const { return tableShown_; }
  std::string TableButtonText() const { return tableShown_ ? kHideTableText : kShowTableText; }
  std::vector<KeyboardTableRow> TableRows() const;
  // Two thirds of the list's width for the commands, one third for the keys.
  static KeyboardTableWidths TableWidths(int listWidth);

  // Each asks first; false when nothing changed.
  bool LoadDefault();
  bool LoadFromFile();
  // Writes the edited list to the chosen file; false when cancelled or failed.
  bool SaveToFile();

  // "Close dialog, save changes": the edited list becomes the current one.
  void CloseSavingChanges();

  const ShortCutList& EditedShortcuts() const { return edited_; }

 private:
  std::vector<std::size_t> SelectedCommandShortcuts() const;
  void ReplaceEdited(ShortCutList shortcuts);

  CShortCutTable& table_;
  IUserInterface& ui_;
  ShortCutList edited_;
  std::vector<std::string> categories_;
  std::size_t category_ = 0;
  const CCommandInfo* command_ = nullptr;
  std::optional<std::size_t> currentKey_;
  bool tableShown_ = false;
};

}  // namespace vantorelle
