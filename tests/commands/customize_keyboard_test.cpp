// The "Customize Keyboard" window's model: browsing commands by category,
// binding and removing keys on its copy of the list, the table view, and the
// default, file and close flows with their questions.
#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "commands/customize_keyboard.h"
#include "commands/key_names.h"
#include "commands/shortcut_file.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::ScriptedUserInterface;
using testing::TempDir;

constexpr int kDel = 0x2E;

class CustomizeKeyboard : public ::testing::Test {
 protected:
  std::size_t CategoryIndex(const std::string& name) const {
    const auto& categories = model.Categories();
    return static_cast<std::size_t>(std::find(categories.begin(), categories.end(), name) - categories.begin());
  }

  // Chooses the category and selects the command of that display name in it.
  void Select(const std::string& category, const std::string& name) {
    model.ChooseCategory(CategoryIndex(category));
    const auto names = model.ShownCommandNames();
    const auto found = std::find(names.begin(), names.end(), name);
    ASSERT_NE(found, names.end()) << name;
    model.SelectCommand(static_cast<std::size_t>(found - names.begin()));
  }

  CShortCutTable table;
  ScriptedUserInterface ui;
  CustomizeKeyboardModel model{table, ui};
};

TEST_F(CustomizeKeyboard, StartsOnTheFirstCategoryAndListsItsCommands) {
  EXPECT_EQ(model.Categories(), table.CategoryList());
  EXPECT_EQ(model.ChosenCategory(), 0u);
  EXPECT_THAT(model.ShownCommandNames(), ElementsAre("New project", "Open project...", "Save project",
                                                     "Save project As...", "Export...", "Add source file...",
                                                     "Import Velmo project...", "Relink offline media...",
                                                     "Exit"));
  EXPECT_EQ(model.SelectedCommand(), nullptr);
  EXPECT_TRUE(model.CurrentKeys().empty());

  model.ChooseCategory(CategoryIndex("All Commands"));
  EXPECT_EQ(model.ShownCommands().size(), 70u);
  model.ChooseCategory(CategoryIndex("(Local) Time Line"));
  EXPECT_THAT(model.ShownCommandNames(), ElementsAre("Set current time...", "Set range..."));
  model.ChooseCategory(99);
  EXPECT_EQ(model.ChosenCategory(), CategoryIndex("(Local) Time Line"));
}

TEST_F(CustomizeKeyboard, SelectedCommandShowsItsDescriptionLinesAndKeys) {
  Select("Command", "Rewind");
  EXPECT_EQ(model.SelectedDescription(),
            (std::pair<std::string, std::string>{"Move cursor to playback ", "start position"}));
  EXPECT_THAT(model.CurrentKeys(), ElementsAre("Home"));
  Select("Edit", "Copy");
  EXPECT_THAT(model.CurrentKeys(), ElementsAre("Ctrl + Ins", "Ctrl + C"));
  Select("(Local) Tracks View", "Delete clip");
  EXPECT_TRUE(model.CurrentKeys().empty());
}

TEST_F(CustomizeKeyboard, KeyWindowRefusesModifiersEscapeTabAndEnter) {
  for (int key : {0x11, 0x10, 0x12, 0x1B, 0x09, 0x0D}) EXPECT_FALSE(IsCapturableKey(key)) << key;
  for (int key : {int{'A'}, 0x2E, 0x20, 0x70, 0x6B}) EXPECT_TRUE(IsCapturableKey(key)) << key;
  // Enter is a default key (Stop) but cannot be given to another command.
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 0x0D, false, false), 0x809A);
  Select("Command", "Play");
  EXPECT_FALSE(model.OfferCapturedKey(0x0D, false, false));
  EXPECT_FALSE(model.OfferCapturedKey(0x09, true, false));
  EXPECT_FALSE(model.OfferCapturedKey(0x1B, false, true));
  EXPECT_EQ(model.EditedShortcuts(), table.CurrentShortcuts());
}

TEST_F(CustomizeKeyboard, NoKeyIsTakenWithoutASelectedCommand) {
  EXPECT_FALSE(model.OfferCapturedKey('K', true, false));
  EXPECT_EQ(model.EditedShortcuts(), table.CurrentShortcuts());
}

TEST_F(CustomizeKeyboard, KeyUsedInTheSameGroupMovesToTheNewCommand) {
  Select("Edit", "Cut");
  ASSERT_TRUE(model.OfferCapturedKey('C', true, false));
  EXPECT_THAT(model.CurrentKeys(), ElementsAre("Ctrl + X", "Ctrl + C"));
  EXPECT_EQ(model.EditedShortcuts().size(), 31u);
  EXPECT_EQ(model.EditedShortcuts().back(), (CShortCut{0x8091, CommandGroup::Global, 0, 1, 'C'}));
  Select("Edit", "Copy");
  EXPECT_THAT(model.CurrentKeys(), ElementsAre("Ctrl + Ins"));
  // The table itself is untouched until the window closes with its button.
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'C', true, false), 0x8090);
}

TEST_F(CustomizeKeyboard, SameKeyInAnotherGroupOrWithOtherModifiersStays) {
  Select("(Local) Clip Collection", "Properties...");
  ASSERT_TRUE(model.OfferCapturedKey(kDel, false, false));
  EXPECT_EQ(model.EditedShortcuts().back(), (CShortCut{0x8022, CommandGroup::ClipCollection, 0, 0, kDel}));
  // The Clip Collection's Delete lost Del; the global Delete kept it.
  Select("(Local) Clip Collection", "Delete");
  EXPECT_TRUE(model.CurrentKeys().empty());
  Select("Edit", "Delete");
  EXPECT_THAT(model.CurrentKeys(), ElementsAre("Del"));
  ASSERT_TRUE(model.OfferCapturedKey(kDel, true, true));
  EXPECT_THAT(model.CurrentKeys(), ElementsAre("Del", "Ctrl + Shift + Del"));
}

TEST_F(CustomizeKeyboard, OnlyTheFirstHolderOfTheCombinationLosesIt) {
  // A loaded list may bind one combination twice: setting it takes it from
  // the first holder only, and the new shortcut goes to the end.
  table.SetCurrentShortcuts({{0x8094, CommandGroup::Global, 0, 1, 'K'},
                             {0x8096, CommandGroup::Global, 0, 0, 'I'},
                             {0x8095, CommandGroup::Global, 0, 1, 'K'}});
  CustomizeKeyboardModel fresh(table, ui);
  fresh.ChooseCategory(CategoryIndex("Edit"));
  fresh.SelectCommand(0);  // Undo
  ASSERT_TRUE(fresh.OfferCapturedKey('K', true, false));
  EXPECT_EQ(fresh.EditedShortcuts(), (ShortCutList{{0x8096, CommandGroup::Global, 0, 0, 'I'},
                                                   {0x8095, CommandGroup::Global, 0, 1, 'K'},
                                                   {0x80A2, CommandGroup::Global, 0, 1, 'K'}}));
}

TEST_F(CustomizeKeyboard, RemoveDeletesTheSelectedCurrentKey) {
  Select("Edit", "Paste");
  EXPECT_FALSE(model.RemoveSelectedShortcut());
  model.SelectCurrentKey(1);
  EXPECT_EQ(model.SelectedCurrentKey(), 1u);
  ASSERT_TRUE(model.RemoveSelectedShortcut());
  EXPECT_THAT(model.CurrentKeys(), ElementsAre("Shift + Ins"));
  EXPECT_EQ(model.SelectedCurrentKey(), std::nullopt);
  EXPECT_EQ(model.EditedShortcuts().size(), 30u);
  model.SelectCurrentKey(5);
  EXPECT_FALSE(model.RemoveSelectedShortcut());
  EXPECT_EQ(table.CurrentShortcuts().size(), 31u);
}

TEST_F(CustomizeKeyboard, TableShowsTheWholeCopyInTwoColumns) {
  EXPECT_FALSE(model.TableShown());
  EXPECT_EQ(model.TableButtonText(), "Show Table >>");
  model.ToggleTable();
  EXPECT_TRUE(model.TableShown());
  EXPECT_EQ(model.TableButtonText(), "<< Hide Table");
  const auto rows = model.TableRows();
  ASSERT_EQ(rows.size(), 31u);
  EXPECT_EQ(rows[0], (KeyboardTableRow{"File==New project", "Ctrl + N"}));
  EXPECT_EQ(rows[3], (KeyboardTableRow{"File==Export...", "Ctrl + E"}));
  EXPECT_EQ(rows[12], (KeyboardTableRow{"Edit==Copy", "Ctrl + C"}));
  EXPECT_EQ(rows[29], (KeyboardTableRow{"View==Snap to Edges", "S"}));
  EXPECT_EQ(rows[30], (KeyboardTableRow{"(Local) Clip Collection==Delete", "Del"}));
  model.ToggleTable();
  EXPECT_EQ(model.TableButtonText(), "Show Table >>");
  EXPECT_EQ(CustomizeKeyboardModel::TableWidths(300), (KeyboardTableWidths{200, 100}));
  EXPECT_EQ(CustomizeKeyboardModel::TableWidths(100), (KeyboardTableWidths{66, 33}));
}

TEST_F(CustomizeKeyboard, LoadDefaultAsksAndOnYesReplacesTheCopy) {
  table.SetCurrentShortcuts({{0x8094, CommandGroup::Global, 0, 1, 'K'}});
  CustomizeKeyboardModel fresh(table, ui);
  ui.messageAnswers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(fresh.LoadDefault());
  EXPECT_EQ(fresh.EditedShortcuts(), table.CurrentShortcuts());
  EXPECT_TRUE(fresh.LoadDefault());
  EXPECT_EQ(fresh.EditedShortcuts(), DefaultShortCutList());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text,
            "Are you shure you want to load default shortcut table?\nThis action will remove custom shortcut table.");
  EXPECT_EQ(ui.messages[0].caption, "Load Default Shortcut Table.");
  EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(table.CurrentShortcuts().size(), 1u);
}

TEST_F(CustomizeKeyboard, CloseWithItsButtonPutsTheCopyInForceOtherwiseItIsDiscarded) {
  {
    CustomizeKeyboardModel discarded(table, ui);
    discarded.ChooseCategory(CategoryIndex("Edit"));
    discarded.SelectCommand(0);
    ASSERT_TRUE(discarded.OfferCapturedKey('U', true, false));
  }
  EXPECT_EQ(table.CurrentShortcuts(), DefaultShortCutList());
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'U', true, false), std::nullopt);

  Select("Edit", "Undo");
  ASSERT_TRUE(model.OfferCapturedKey('U', true, false));
  model.CloseSavingChanges();
  EXPECT_EQ(table.CurrentShortcuts(), model.EditedShortcuts());
  EXPECT_EQ(table.MatchKey(CommandGroup::Global, 'U', true, false), 0x80A2);
  EXPECT_EQ(table.MenuText(0x80A2), "Undo\tCtrl + Z");
}

TEST_F(CustomizeKeyboard, SaveAndLoadGoThroughTheFileDialogs) {
  TempDir dir;
  const std::string path = dir.File("mine.vrk");
  Select("Edit", "Undo");
  ASSERT_TRUE(model.OfferCapturedKey('U', true, false));
  const ShortCutList saved = model.EditedShortcuts();

  ui.saveAnswers = {path};
  EXPECT_TRUE(model.SaveToFile());
  ASSERT_EQ(ui.saveRequests.size(), 1u);
  EXPECT_EQ(ui.saveRequests[0].title, "Save Shortcut Table To File");
  EXPECT_EQ(ui.saveRequests[0].filters,
            (std::vector<std::pair<std::string, std::string>>{{"Vantorelle shortcut table(*.vrk)", "*.vrk"}}));
  EXPECT_EQ(ui.saveRequests[0].defaultExtension, "");
  EXPECT_EQ(LoadShortcutFile(path).shortcuts, saved);

  ASSERT_TRUE(model.LoadDefault());
  ui.openAnswers = {path, path};
  ui.messageAnswers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(model.LoadFromFile());
  EXPECT_EQ(model.EditedShortcuts(), DefaultShortCutList());
  EXPECT_TRUE(model.LoadFromFile());
  EXPECT_EQ(model.EditedShortcuts(), saved);
  ASSERT_EQ(ui.openRequests.size(), 2u);
  EXPECT_EQ(ui.openRequests[0].title, "Load Shortcut Table From File");
  EXPECT_EQ(ui.openRequests[0].filters, ui.saveRequests[0].filters);
  const auto& question = ui.messages.back();
  EXPECT_EQ(question.text,
            "Are you shure you want to load new shortcut table from file?\n"
            "This action will remove your current shortcut table.");
  EXPECT_EQ(question.caption, "Load Shortcut Table From File.");
  EXPECT_EQ(question.buttons, MessageButtons::YesNo);
  EXPECT_EQ(question.icon, MessageIcon::Warning);
}

TEST_F(CustomizeKeyboard, CancelledDialogsChangeNothing) {
  Select("Edit", "Undo");
  ASSERT_TRUE(model.OfferCapturedKey('U', true, false));
  const ShortCutList edited = model.EditedShortcuts();
  EXPECT_FALSE(model.SaveToFile());
  EXPECT_FALSE(model.LoadFromFile());
  EXPECT_EQ(model.EditedShortcuts(), edited);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CustomizeKeyboard, FailedLoadWarnsAndFallsBackToTheDefaults) {
  TempDir dir;
  const std::string bad = dir.WriteFile("bad.vrk", std::string("\x1F") + "vantorelle shortcut table abcde" +
                                                       std::string(4, '\0'));
  Select("Edit", "Undo");
  ASSERT_TRUE(model.OfferCapturedKey('U', true, false));
  ui.openAnswers = {bad, dir.File("gone.vrk")};
  ui.messageAnswers = {MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::Yes, MessageAnswer::Ok};
  EXPECT_TRUE(model.LoadFromFile());
  EXPECT_EQ(model.EditedShortcuts(), DefaultShortCutList());
  ASSERT_TRUE(model.OfferCapturedKey('U', true, false));
  EXPECT_TRUE(model.LoadFromFile());
  EXPECT_EQ(model.EditedShortcuts(), DefaultShortCutList());
  EXPECT_THAT(ui.MessageTexts(),
              ElementsAre(::testing::StartsWith("Are you shure"), "Invalide shortcut table file format",
                          ::testing::StartsWith("Are you shure"),
                          "Can't open file for save shortcut table\nNo such file or directory"));
  EXPECT_EQ(ui.messages[1].icon, MessageIcon::Warning);
}

TEST_F(CustomizeKeyboard, FailedSaveWarnsAndKeepsTheCopy) {
  TempDir dir;
  Select("Edit", "Undo");
  ASSERT_TRUE(model.OfferCapturedKey('U', true, false));
  const ShortCutList edited = model.EditedShortcuts();
  ui.saveAnswers = {(dir.Path() / "missing" / "k.vrk").string()};
  EXPECT_FALSE(model.SaveToFile());
  EXPECT_THAT(ui.MessageTexts(), ElementsAre("Can't open file for save shortcut table\nNo such file or directory"));
  EXPECT_EQ(model.EditedShortcuts(), edited);
}

}  // namespace
}  // namespace vantorelle
