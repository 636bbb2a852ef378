// The shortcut table: its built-in bindings, the texts it gives menus, the
// status line and tips, how a key press finds its command, and its copy in
// the settings store.
#include <gtest/gtest.h>

#include "commands/key_names.h"
#include "commands/shortcut_table.h"
#include "document/settings_values.h"

namespace vantorelle {
namespace {

constexpr int kDel = 0x2E;
constexpr int kIns = 0x2D;
constexpr int kEnter = 0x0D;

TEST(DefaultShortcuts, ThirtyOneBindingsInOrder) {
  const ShortCutList defaults = DefaultShortCutList();
  ASSERT_EQ(defaults.size(), 31u);
  const std::vector<std::pair<int, std::string>> expected = {
      {0xE100, "Ctrl + N"}, {0xE101, "Ctrl + O"},   {0xE103, "Ctrl + S"},    {0xE105, "Ctrl + E"}, {0x80A1, "F4"},
      {0xE141, "Ctrl + Q"}, {0x80A2, "Ctrl + Z"},   {0x80A3, "Ctrl + Y"},    {0x80A3, "Ctrl + Shift + Z"}, {0x808F, "Del"},
      {0x8091, "Ctrl + X"}, {0x8090, "Ctrl + Ins"}, {0x8090, "Ctrl + C"},    {0x8092, "Shift + Ins"},
      {0x8092, "Ctrl + V"}, {0x8093, "Ins"},        {0x8094, "Ctrl + A"},    {0x8095, "Ctrl + D"},
      {0x8097, "Shift + S"}, {0x80A4, "Num (+)"},   {0x80A5, "Num (-)"},     {0x80A6, "Num (/)"},
      {0x80A7, "Num (*)"},  {0x8098, "Space"},      {0x809A, "Enter"},       {0x8099, "Home"},
      {0x809C, "Right Arrow"}, {0x809B, "Left Arrow"}, {0x809D, "F5"},      {0x80AD, "S"},
      {0x8015, "Del"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(defaults[i].commandId, expected[i].first) << i;
    EXPECT_EQ(ShortcutText(defaults[i]), expected[i].second) << i;
    EXPECT_EQ(defaults[i].group, i == 30 ? CommandGroup::ClipCollection : CommandGroup::Global) << i;
  }
}

TEST(DefaultShortcuts, ExportHasCtrlEAndNoCombinationIsBoundTwiceInOnePlace) {
  const ShortCutList defaults = DefaultShortCutList();
  for (std::size_t i = 0; i < defaults.size(); ++i) {
    for (std::size_t j = i + 1; j < defaults.size(); ++j) {
      const CShortCut& a = defaults[i];
      const CShortCut& b = defaults[j];
      EXPECT_FALSE(a.group == b.group && a.key == b.key && a.ctrl == b.ctrl && a.shift == b.shift)
          << ShortcutText(a) << " binds " << a.commandId << " and " << b.commandId;
    }
  }
  // Ctrl + E reaches Export from every pane: no pane takes it for itself.
  CShortCutTable table;
  for (const CommandGroup pane : {CommandGroup::Global, CommandGroup::TracksView, CommandGroup::TrackHeaders,
                                  CommandGroup::ClipCollection, CommandGroup::TimeRuler,
                                  CommandGroup::FavouriteDirectories}) {
    const auto routed = table.RouteKey(pane, 'E', true, false);
    ASSERT_TRUE(routed) << static_cast<int>(pane);
    EXPECT_EQ(routed->commandId, 0xE105);
  }
  EXPECT_EQ(table.MenuText(0xE105), "Export...\tCtrl + E");
}

TEST(DefaultShortcuts, SAloneSwitchesSnappingFromEveryPane) {
  CShortCutTable table;
  for (const CommandGroup pane : {CommandGroup::Global, CommandGroup::TracksView, CommandGroup::TrackHeaders,
                                  CommandGroup::ClipCollection, CommandGroup::TimeRuler,
                                  CommandGroup::FavouriteDirectories}) {
    const auto routed = table.RouteKey(pane, 'S', false, false);
    ASSERT_TRUE(routed) << static_cast<int>(pane);
    EXPECT_EQ(routed->commandId, 0x80AD);
  }
  EXPECT_EQ(table.MenuText(0x80AD), "Snap to Edges\tS");
  EXPECT_EQ(table.ShortNameText(0x80AD), "Snap - S");
}

TEST(DefaultShortcuts, CtrlShiftZRedoesWhileTheMenuKeepsShowingCtrlY) {
  CShortCutTable table;
  EXPECT_EQ(table.RouteKey(CommandGroup::TracksView, 'Z', true, true),
            (RoutedCommand{0x80A3, CommandGroup::Global}));
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'Z', true, false), 0x80A2);
  EXPECT_EQ(table.MenuText(0x80A3), "Redo\tCtrl + Y");
  // The name a command shows at the moment keeps its key.
  EXPECT_EQ(table.MenuText(0x80A3, "Redo Move"), "Redo Move\tCtrl + Y");
  EXPECT_EQ(table.ShortNameText(0x80A2, "Undo Split clip"), "Undo Split clip - Ctrl + Z");
  EXPECT_EQ(table.MenuText(0x7777, "Redo Move"), "");
}

TEST(ShortcutTexts, MenuPromptAndTipWithAndWithoutShortcut) {
  CShortCutTable table;
  // Save project has Ctrl + S; Save As has none; Play has a two-line description.
  EXPECT_EQ(table.MenuText(0xE103), "Save project\tCtrl + S");
  EXPECT_EQ(table.MenuText(0xE104), "Save project As...");
  EXPECT_EQ(table.PromptText(0x8098), "Playback active audio, video, title track - Space");
  EXPECT_EQ(table.PromptText(0xE100), "Create a new project - Ctrl + N");
  EXPECT_EQ(table.PromptText(0x809F), "Initial set of the frame width/height");
  EXPECT_EQ(table.ShortNameText(0xE100), "New - Ctrl + N");
  EXPECT_EQ(table.ShortNameText(0x809F), "Set screen size");
  EXPECT_EQ(table.Description(0x8099), "Move cursor to playback \nstart position");
  // Two bindings: the first in the list is the one shown.
  EXPECT_EQ(table.MenuText(0x8090), "Copy\tCtrl + Ins");
  // A local command: no short name, but its key still shows.
  EXPECT_EQ(table.MenuText(0x8015), "Delete\tDel");
  EXPECT_EQ(table.ShortNameText(0x8015), " - Del");
}

TEST(ShortcutTexts, UnknownIdGivesEmptyTexts) {
  CShortCutTable table;
  table.SetCurrentShortcuts({{0x7777, CommandGroup::Global, 0, 1, 'K'}});
  EXPECT_EQ(table.MenuText(0x7777), "");
  EXPECT_EQ(table.PromptText(0x7777), "");
  EXPECT_EQ(table.ShortNameText(0x7777), "");
  EXPECT_EQ(table.Description(0x7777), "");
  EXPECT_EQ(table.FindCommand(0x7777), nullptr);
  // Still matched like any other binding.
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'K', true, false), 0x7777);
}

TEST(ShortcutTexts, TextsFollowTheCurrentList) {
  CShortCutTable table;
  table.SetCurrentShortcuts({});
  EXPECT_EQ(table.MenuText(0xE103), "Save project");
  EXPECT_EQ(table.PromptText(0x8098), "Playback active audio, video, title track");
  EXPECT_EQ(table.ShortNameText(0xE103), "Save");
}

TEST(DescriptionLines, SplitAtTheFirstLineFeed) {
  EXPECT_EQ(DescriptionLines("one"), (std::pair<std::string, std::string>{"one", ""}));
  EXPECT_EQ(DescriptionLines("one \ntwo"), (std::pair<std::string, std::string>{"one ", "two"}));
  EXPECT_EQ(DescriptionLines("a\nb\nc"), (std::pair<std::string, std::string>{"a", "b"}));
}

TEST(CategoryList, CommandOrderEachOnceThenAllCommands) {
  CShortCutTable table;
  const std::vector<std::string> expected = {"File",
                                             "Edit",
                                             "View",
                                             "Command",
                                             "Tools",
                                             "Help",
                                             "(Local) Tracks Status View",
                                             "(Local) Tracks View",
                                             "(Local) Clip Collection",
                                             "(Local) Time Line",
                                             "(Local) Favourite Directory List",
                                             "All Commands"};
  EXPECT_EQ(table.CategoryList(), expected);
}

TEST(KeyRouting, DelInClipCollectionDeletesTheSourceAndOverTracksFallsBackToGlobal) {
  CShortCutTable table;
  EXPECT_EQ(table.RouteKey(CommandGroup::ClipCollection, kDel, false, false),
            (RoutedCommand{0x8015, CommandGroup::ClipCollection}));
  EXPECT_EQ(table.MatchKey(CommandGroup::TracksView, kDel, false, false), std::nullopt);
  EXPECT_EQ(table.RouteKey(CommandGroup::TracksView, kDel, false, false),
            (RoutedCommand{0x808F, CommandGroup::Global}));
  EXPECT_EQ(table.RouteKey(CommandGroup::Global, kDel, false, false), (RoutedCommand{0x808F, CommandGroup::Global}));
}

TEST(KeyRouting, ModifiersMustMatchExactly) {
  CShortCutTable table;
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'S', true, false), 0xE103);
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'S', false, true), 0x8097);
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'S', true, true), std::nullopt);
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'S', false, false), 0x80AD);
  EXPECT_EQ(table.RouteKey(CommandGroup::TimeRuler, 'S', true, true), std::nullopt);
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, kIns, false, false), 0x8093);
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, kIns, false, true), 0x8092);
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, kEnter, false, false), 0x809A);
}

TEST(KeyRouting, TwoKeysRunCopy) {
  CShortCutTable table;
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, kIns, true, false), 0x8090);
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'C', true, false), 0x8090);
}

TEST(KeyRouting, FirstMatchInListOrderWins) {
  CShortCutTable table;
  table.SetCurrentShortcuts({{1, CommandGroup::TimeRuler, 0, 0, 'K'},
                             {2, CommandGroup::Global, 0, 0, 'K'},
                             {3, CommandGroup::TimeRuler, 0, 0, 'K'}});
  EXPECT_EQ(table.RouteKey(CommandGroup::TimeRuler, 'K', false, false), (RoutedCommand{1, CommandGroup::TimeRuler}));
  EXPECT_EQ(table.RouteKey(CommandGroup::TrackHeaders, 'K', false, false), (RoutedCommand{2, CommandGroup::Global}));
}

TEST(ShortcutStoreRecord, TwentyBytesInFieldOrder) {
  const CShortCut shortcut{0x8092, CommandGroup::ClipCollection, 1, 0, 0x2D};
  const SettingsBytes expected = {0x92, 0x80, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x2D, 0, 0, 0};
  EXPECT_EQ(ShortCutRecordBytes(shortcut), expected);
  EXPECT_EQ(ReadShortCutRecord(expected), shortcut);
  EXPECT_EQ(ReadShortCutRecord(SettingsBytes(19, 0)), std::nullopt);
}

TEST(ShortcutStore, SaveThenLoadGivesTheSameList) {
  CShortCutTable saved;
  ShortCutList custom = saved.DefaultShortcuts();
  custom.erase(custom.begin() + 3);
  custom.push_back({0x8007, CommandGroup::TimeRuler, 1, 1, 'T'});
  saved.SetCurrentShortcuts(custom);
  MemorySettingsStore store;
  saved.Save(store);
  EXPECT_EQ(ReadSettingsNumber(store, "ShortCutTable", "ShortCut Counter"), 31);
  EXPECT_EQ(std::get<SettingsBytes>(*store.Read("ShortCutTable", "ShortCut_30")),
            ShortCutRecordBytes(custom.back()));
  EXPECT_FALSE(store.Read("ShortCutTable", "ShortCut_31"));

  CShortCutTable loaded;
  loaded.LoadOrBuildDefault(store, false);
  EXPECT_EQ(loaded.CurrentShortcuts(), custom);
  EXPECT_EQ(loaded.DefaultShortcuts(), DefaultShortCutList());
}

TEST(ShortcutStore, CounterFiveWithIndexTwoMissingLoadsFour) {
  MemorySettingsStore store;
  ShortCutList five;
  for (int i = 0; i < 5; ++i) five.push_back({0x8000 + i, CommandGroup::Global, 0, 0, 'A' + i});
  SaveShortCutList(store, five);
  store.Remove("ShortCutTable", "ShortCut_2");
  const auto loaded = LoadShortCutList(store, false);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(*loaded, (ShortCutList{five[0], five[1], five[3], five[4]}));
}

TEST(ShortcutStore, UnreadableValuesAreSkipped) {
  MemorySettingsStore store;
  SaveShortCutList(store, {{1, CommandGroup::Global, 0, 0, 'A'}, {2, CommandGroup::Global, 0, 0, 'B'},
                           {3, CommandGroup::Global, 0, 0, 'C'}});
  store.Write("ShortCutTable", "ShortCut_0", std::int32_t{5});                // not binary
  store.Write("ShortCutTable", "ShortCut_1", SettingsBytes(12, 0));           // short
  const auto loaded = LoadShortCutList(store, false);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(*loaded, (ShortCutList{{3, CommandGroup::Global, 0, 0, 'C'}}));
}

TEST(ShortcutStore, FirstRunMissingSectionOrCounterGiveTheBuiltInTable) {
  MemorySettingsStore store;
  SaveShortCutList(store, {{1, CommandGroup::Global, 0, 0, 'A'}});
  EXPECT_EQ(LoadShortCutList(store, true), std::nullopt);
  CShortCutTable table;
  table.SetCurrentShortcuts({});
  table.LoadOrBuildDefault(store, true);
  EXPECT_EQ(table.CurrentShortcuts(), DefaultShortCutList());

  MemorySettingsStore noCounter;
  noCounter.Write("ShortCutTable", "ShortCut_0", ShortCutRecordBytes({1, CommandGroup::Global, 0, 0, 'A'}));
  EXPECT_EQ(LoadShortCutList(noCounter, false), std::nullopt);
  EXPECT_EQ(LoadShortCutList(MemorySettingsStore{}, false), std::nullopt);

  MemorySettingsStore negative;
  WriteSettingsNumber(negative, "ShortCutTable", "ShortCut Counter", -3);
  EXPECT_EQ(LoadShortCutList(negative, false), std::nullopt);
}

TEST(ShortcutStore, CounterZeroIsAnEmptyTable) {
  MemorySettingsStore store;
  SaveShortCutList(store, {});
  CShortCutTable table;
  table.LoadOrBuildDefault(store, false);
  EXPECT_TRUE(table.CurrentShortcuts().empty());
}

}  // namespace
}  // namespace vantorelle
