#include "commands/customize_keyboard.h"

#include <algorithm>

#include "commands/key_names.h"
#include "commands/shortcut_file.h"

namespace vantorelle {
namespace {

FileDialogRequest ShortcutFileDialog(const char* title) {
  FileDialogRequest request;
  request.title = title;
  request.filters = {{kShortcutFileFilter, kShortcutFilePattern}};
  return request;
}

}  // namespace

bool IsCapturableKey(std::int32_t key) {
  switch (key) {
    case VirtualKey::Ctrl:
    case VirtualKey::Shift:
    case VirtualKey::Alt:
    case VirtualKey::Escape:
    case VirtualKey::Tab:
    case VirtualKey::Enter: return false;
    default: return true;
  }
}

CustomizeKeyboardModel::CustomizeKeyboardModel(CShortCutTable& table, IUserInterface& ui)
    : table_(table), ui_(ui), edited_(table.CurrentShortcuts()), categories_(table.CategoryList()) {}

void CustomizeKeyboardModel::ChooseCategory(std::size_t index) {
  if (index >= categories_.size()) return;
  category_ = index;
  command_ = nullptr;
  currentKey_.reset();
}

std::vector<const CCommandInfo*> CustomizeKeyboardModel::ShownCommands() const {
  std::vector<const CCommandInfo*> shown;
  const std::string& category = categories_[category_];
  const bool all = category == kAllCommandsCategory;
  for (const auto& command : table_.Commands()) {
    if (all || SameCategory(command.category, category)) shown.push_back(&command);
  }
  return shown;
}

std::vector<std::string> CustomizeKeyboardModel::ShownCommandNames() const {
  std::vector<std::string> names;
  for (const CCommandInfo* command : ShownCommands()) names.push_back(command->displayName);
  return names;
}

void CustomizeKeyboardModel::SelectCommand(std::size_t index) {
  const auto shown = ShownCommands();
  command_ = index < shown.size() ? shown[index] : nullptr;
  currentKey_.reset();
}

const CCommandInfo* CustomizeKeyboardModel::SelectedCommand() const { return command_; }

std::pair<std::string, std::string> CustomizeKeyboardModel::SelectedDescription() const {
  return command_ ? DescriptionLines(command_->description) : std::pair<std::string, std::string>{};
}

std::vector<std::size_t> CustomizeKeyboardModel::SelectedCommandShortcuts() const {
  std::vector<std::size_t> positions;
  if (!command_) return positions;
  for (std::size_t i = 0; i < edited_.size(); ++i) {
    if (edited_[i].commandId == command_->id) positions.push_back(i);
  }
  return positions;
}

std::vector<std::string> CustomizeKeyboardModel::CurrentKeys() const {
  std::vector<std::string> keys;
  for (std::size_t position : SelectedCommandShortcuts()) keys.push_back(ShortcutText(edited_[position]));
  return keys;
}

void CustomizeKeyboardModel::SelectCurrentKey(std::size_t index) {
  if (index < SelectedCommandShortcuts().size()) {
    currentKey_ = index;
  } else {
    currentKey_.reset();
  }
}

bool CustomizeKeyboardModel::OfferCapturedKey(std::int32_t key, bool ctrl, bool shift) {
  if (!command_ || !IsCapturableKey(key)) return false;
  const CShortCut added{command_->id, command_->group, shift ? 1 : 0, ctrl ? 1 : 0, key};
  // The first holder of the combination in the place gives it up; the new
  // shortcut then goes to the end of the list.
  const auto holder = std::find_if(edited_.begin(), edited_.end(), [&](const CShortCut& s) {
    return s.group == added.group && s.key == added.key && s.ctrl == added.ctrl && s.shift == added.shift;
  });
  if (holder != edited_.end()) edited_.erase(holder);
  edited_.push_back(added);
  currentKey_.reset();
  return true;
}

bool CustomizeKeyboardModel::RemoveSelectedShortcut() {
  if (!currentKey_) return false;
  const auto positions = SelectedCommandShortcuts();
  if (*currentKey_ >= positions.size()) return false;
  edited_.erase(edited_.begin() + static_cast<std::ptrdiff_t>(positions[*currentKey_]));
  currentKey_.reset();
  return true;
}

std::vector<KeyboardTableRow> CustomizeKeyboardModel::TableRows() const {
  std::vector<KeyboardTableRow> rows;
  for (const auto& shortcut : edited_) {
    const CCommandInfo* command = table_.FindCommand(shortcut.commandId);
    std::string name = command ? command->category + "==" + command->displayName : "==";
    rows.push_back({std::move(name), ShortcutText(shortcut)});
  }
  return rows;
}

KeyboardTableWidths CustomizeKeyboardModel::TableWidths(int listWidth) {
  return {listWidth * 2 / 3, listWidth / 3};
}

void CustomizeKeyboardModel::ReplaceEdited(ShortCutList shortcuts) {
  edited_ = std::move(shortcuts);
  currentKey_.reset();
}

bool CustomizeKeyboardModel::LoadDefault() {
  if (ui_.ShowMessage(kLoadDefaultQuestion, kLoadDefaultTitle, MessageIcon::Warning, MessageButtons::YesNo) !=
      MessageAnswer::Yes) {
    return false;
  }
  ReplaceEdited(table_.DefaultShortcuts());
  return true;
}

bool CustomizeKeyboardModel::LoadFromFile() {
  const auto path = ui_.AskOpenFileName(ShortcutFileDialog(kLoadFileDialogTitle));
  if (!path) return false;
  if (ui_.ShowMessage(kLoadFileQuestion, kLoadFileQuestionTitle, MessageIcon::Warning, MessageButtons::YesNo) !=
      MessageAnswer::Yes) {
    return false;
  }
  ReplaceEdited(LoadShortcutFileOrDefault(*path, table_.DefaultShortcuts(), ui_));
  return true;
}

bool CustomizeKeyboardModel::SaveToFile() {
  const auto path = ui_.AskSaveFileName(ShortcutFileDialog(kSaveFileDialogTitle));
  if (!path) return false;
  return SaveShortcutFileOrWarn(*path, edited_, ui_);
}

void CustomizeKeyboardModel::CloseSavingChanges() { table_.SetCurrentShortcuts(edited_); }

}  // namespace vantorelle
