#include "commands/shortcut_table.h"

#include <algorithm>
#include <cctype>

#include "commands/key_names.h"
#include "commands/pane_command_ids.h"
#include "document/archive.h"
#include "document/settings_values.h"
#include "timeline/command_ids.h"

namespace vantorelle {
namespace {

CShortCut Global(std::int32_t id, std::int32_t key, bool ctrl = false, bool shift = false) {
  return {id, CommandGroup::Global, shift ? 1 : 0, ctrl ? 1 : 0, key};
}

std::string WithShortcut(std::string text, const CShortCut* shortcut) {
  if (shortcut) text += " - " + ShortcutText(*shortcut);
  return text;
}

}  // namespace

SettingsBytes ShortCutRecordBytes(const CShortCut& shortcut) {
  ArchiveWriter writer;
  writer.I32(shortcut.commandId);
  writer.I32(static_cast<std::int32_t>(shortcut.group));
  writer.I32(shortcut.shift);
  writer.I32(shortcut.ctrl);
  writer.I32(shortcut.key);
  return writer.Take();
}

std::optional<CShortCut> ReadShortCutRecord(const SettingsBytes& bytes) {
  if (bytes.size() < kShortCutRecordSize) return std::nullopt;
  ArchiveReader reader(bytes);
  CShortCut shortcut;
  shortcut.commandId = reader.I32();
  shortcut.group = static_cast<CommandGroup>(reader.I32());
  shortcut.shift = reader.I32();
  shortcut.ctrl = reader.I32();
  shortcut.key = reader.I32();
  return shortcut;
}

bool SameCategory(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
    return std::tolower(x) == std::tolower(y);
  });
}

std::string ShortCutValueName(std::size_t index) { return "ShortCut_" + std::to_string(index); }

std::optional<ShortCutList> LoadShortCutList(const ISettingsStore& store, bool firstRun) {
  if (firstRun || !store.SectionExists(kShortCutSection)) return std::nullopt;
  const auto counter = ReadSettingsNumber(store, kShortCutSection, kShortCutCounterName);
  // Save never writes a negative counter; one found is damage, and the
  // built-in table serves better than an empty one.
  if (!counter || *counter < 0) return std::nullopt;
  ShortCutList shortcuts;
  for (std::int32_t i = 0; i < *counter; ++i) {
    const auto bytes = ReadSettingsBinary(store, kShortCutSection, ShortCutValueName(static_cast<std::size_t>(i)));
    if (!bytes) continue;
    if (auto shortcut = ReadShortCutRecord(*bytes)) shortcuts.push_back(*shortcut);
  }
  return shortcuts;
}

void SaveShortCutList(ISettingsStore& store, const ShortCutList& shortcuts) {
  WriteSettingsNumber(store, kShortCutSection, kShortCutCounterName, static_cast<std::int32_t>(shortcuts.size()));
  for (std::size_t i = 0; i < shortcuts.size(); ++i) {
    store.Write(kShortCutSection, ShortCutValueName(i), ShortCutRecordBytes(shortcuts[i]));
  }
}

ShortCutList DefaultShortCutList() {
  namespace K = VirtualKey;
  constexpr bool kCtrl = true;
  constexpr bool kShift = true;
  return {
      Global(CommandId::NewProject, 'N', kCtrl),
      Global(CommandId::OpenProject, 'O', kCtrl),
      Global(CommandId::SaveProject, 'S', kCtrl),
      Global(CommandId::Export, 'E', kCtrl),
      Global(CommandId::AddSourceFile, K::F1 + 3),
      Global(FrameCommand::Exit, 'Q', kCtrl),
      Global(CommandId::Undo, 'Z', kCtrl),
      Global(CommandId::Redo, 'Y', kCtrl),
      Global(CommandId::Redo, 'Z', kCtrl, kShift),
      Global(CommandId::Delete, K::Delete),
      Global(CommandId::Cut, 'X', kCtrl),
      Global(CommandId::Copy, K::Insert, kCtrl),
      Global(CommandId::Copy, 'C', kCtrl),
      Global(CommandId::Paste, K::Insert, false, kShift),
      Global(CommandId::Paste, 'V', kCtrl),
      Global(CommandId::Insert, K::Insert),
      Global(CommandId::SelectAll, 'A', kCtrl),
      Global(CommandId::DeselectAll, 'D', kCtrl),
      Global(CommandId::SplitClip, 'S', false, kShift),
      Global(CommandId::ZoomIn, K::Add),
      Global(CommandId::ZoomOut, K::Subtract),
      Global(CommandId::ZoomToProject, K::Divide),
      Global(CommandId::ZoomToRange, K::Multiply),
      Global(CommandId::Play, K::Space),
      Global(CommandId::Stop, K::Enter),
      Global(CommandId::Rewind, K::Home),
      Global(CommandId::NextFrame, K::Right),
      Global(CommandId::PreviousFrame, K::Left),
      Global(CommandId::Settings, K::F1 + 4),
      Global(CommandId::Snapping, 'S'),
      {ClipCollectionCommand::Delete, CommandGroup::ClipCollection, 0, 0, K::Delete},
  };
}

std::pair<std::string, std::string> DescriptionLines(const std::string& description) {
  const auto first = description.find('\n');
  if (first == std::string::npos) return {description, {}};
  const auto second = description.find('\n', first + 1);
  const auto secondLength = second == std::string::npos ? std::string::npos : second - first - 1;
  return {description.substr(0, first), description.substr(first + 1, secondLength)};
}

CShortCutTable::CShortCutTable()
    : defaults_(DefaultShortCutList()), current_(defaults_), commands_(BuildCommandTable()) {}

void CShortCutTable::LoadOrBuildDefault(const ISettingsStore& store, bool firstRun) {
  auto loaded = LoadShortCutList(store, firstRun);
  current_ = loaded ? std::move(*loaded) : defaults_;
}

void CShortCutTable::Save(ISettingsStore& store) { SaveShortCutList(store, current_); }

const CCommandInfo* CShortCutTable::FindCommand(std::int32_t id) const {
  const auto found = std::find_if(commands_.begin(), commands_.end(), [id](const auto& c) { return c.id == id; });
  return found == commands_.end() ? nullptr : &*found;
}

const CShortCut* CShortCutTable::FirstShortcut(std::int32_t id) const {
  const auto found =
      std::find_if(current_.begin(), current_.end(), [id](const auto& s) { return s.commandId == id; });
  return found == current_.end() ? nullptr : &*found;
}

std::string CShortCutTable::MenuText(std::int32_t id) const {
  const CCommandInfo* command = FindCommand(id);
  return command ? MenuText(id, command->displayName) : std::string();
}

std::string CShortCutTable::MenuText(std::int32_t id, const std::string& shownName) const {
  if (!FindCommand(id)) return {};
  const CShortCut* shortcut = FirstShortcut(id);
  return shortcut ? shownName + "\t" + ShortcutText(*shortcut) : shownName;
}

std::string CShortCutTable::PromptText(std::int32_t id) const {
  const CCommandInfo* command = FindCommand(id);
  if (!command) return {};
  const auto [first, second] = DescriptionLines(command->description);
  return WithShortcut(first + second, FirstShortcut(id));
}

std::string CShortCutTable::ShortNameText(std::int32_t id) const {
  const CCommandInfo* command = FindCommand(id);
  return command ? ShortNameText(id, command->shortName) : std::string();
}

std::string CShortCutTable::ShortNameText(std::int32_t id, const std::string& shownName) const {
  if (!FindCommand(id)) return {};
  return WithShortcut(shownName, FirstShortcut(id));
}

std::string CShortCutTable::Description(std::int32_t id) const {
  const CCommandInfo* command = FindCommand(id);
  return command ? command->description : std::string();
}

std::vector<std::string> CShortCutTable::CategoryList() const {
  std::vector<std::string> categories;
  for (const auto& command : commands_) {
    const bool known = std::any_of(categories.begin(), categories.end(), [&](const std::string& category) {
      return SameCategory(category, command.category);
    });
    if (!known) categories.push_back(command.category);
  }
  categories.emplace_back(kAllCommandsCategory);
  return categories;
}

std::optional<std::int32_t> CShortCutTable::MatchKey(CommandGroup group, std::int32_t key, bool ctrl,
                                                     bool shift) const {
  const std::int32_t ctrlState = ctrl ? 1 : 0;
  const std::int32_t shiftState = shift ? 1 : 0;
  for (const auto& shortcut : current_) {
    if (shortcut.group == group && shortcut.key == key && shortcut.ctrl == ctrlState &&
        shortcut.shift == shiftState) {
      return shortcut.commandId;
    }
  }
  return std::nullopt;
}

std::optional<RoutedCommand> CShortCutTable::RouteKey(CommandGroup paneGroup, std::int32_t key, bool ctrl,
                                                      bool shift) const {
  if (auto id = MatchKey(paneGroup, key, ctrl, shift)) return RoutedCommand{*id, paneGroup};
  if (paneGroup == CommandGroup::Global) return std::nullopt;
  if (auto id = MatchKey(CommandGroup::Global, key, ctrl, shift)) return RoutedCommand{*id, CommandGroup::Global};
  return std::nullopt;
}

}  // namespace vantorelle
