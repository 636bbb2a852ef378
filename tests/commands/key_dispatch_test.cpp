// Key presses sent to the pane under the pointer or, for global shortcuts,
// to the main window.
#include "commands/key_dispatch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "commands/key_names.h"
#include "commands/pane_command_ids.h"
#include "model/pixel_rect.h"
#include "timeline/command_ids.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct RecordingPane : ICommandPane {
  explicit RecordingPane(PixelRect r) : rect(r) {}
  bool ContainsPoint(int x, int y) const override {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
  }
  void OnCommand(int id) override { commands.push_back(id); }
  PixelRect rect;
  std::vector<int> commands;
};

struct KeyDispatchTest : ::testing::Test {
  KeyDown Key(std::uint32_t key, bool ctrl = false, bool shift = false) { return KeyDown{key, shift, ctrl}; }

  CShortCutTable table;
  RecordingPane tracks{{100, 100, 900, 500}};
  RecordingPane headers{{0, 100, 100, 500}};
  RecordingPane collection{{0, 600, 900, 800}};
  RecordingPane ruler{{100, 60, 900, 100}};
  RecordingPane main{{0, 0, 1000, 1000}};
  ShortcutPanes panes{&tracks, &headers, &collection, &ruler, nullptr, &main};
};

TEST_F(KeyDispatchTest, DelDeletesTheSourceInTheClipCollectionAndClipsOverTheTracks) {
  EXPECT_TRUE(DispatchShortcut(table, panes, Key(VirtualKey::Delete), 50, 700));
  EXPECT_THAT(collection.commands, ElementsAre(ClipCollectionCommand::Delete));
  EXPECT_THAT(main.commands, IsEmpty());
  // The tracks view has no Del of its own: the global Delete goes to the main window.
  EXPECT_TRUE(DispatchShortcut(table, panes, Key(VirtualKey::Delete), 300, 300));
  EXPECT_THAT(main.commands, ElementsAre(CommandId::Delete));
  EXPECT_THAT(tracks.commands, IsEmpty());
}

TEST_F(KeyDispatchTest, ModifiersMustMatchAndUnknownKeysArePassedOn) {
  EXPECT_TRUE(DispatchShortcut(table, panes, Key('C', true), 300, 80));
  EXPECT_TRUE(DispatchShortcut(table, panes, Key(VirtualKey::Insert, true), 300, 80));
  EXPECT_THAT(main.commands, ElementsAre(CommandId::Copy, CommandId::Copy));
  EXPECT_FALSE(DispatchShortcut(table, panes, Key('C'), 300, 80));
  EXPECT_FALSE(DispatchShortcut(table, panes, Key('C', true, true), 300, 80));
  EXPECT_FALSE(DispatchShortcut(table, panes, Key(VirtualKey::F12), 300, 80));
  EXPECT_EQ(main.commands.size(), 2u);
}

TEST_F(KeyDispatchTest, APaneShortcutWinsOverAGlobalOneWithTheSameKey) {
  auto shortcuts = table.CurrentShortcuts();
  shortcuts.push_back({TrackHeaderCommand::Solo, CommandGroup::TrackHeaders, 0, 0, VirtualKey::Space});
  table.SetCurrentShortcuts(shortcuts);
  EXPECT_EQ(PaneGroupAt(panes, 50, 200), CommandGroup::TrackHeaders);
  EXPECT_TRUE(DispatchShortcut(table, panes, Key(VirtualKey::Space), 50, 200));
  EXPECT_THAT(headers.commands, ElementsAre(TrackHeaderCommand::Solo));
  // Elsewhere Space is still Play.
  EXPECT_TRUE(DispatchShortcut(table, panes, Key(VirtualKey::Space), 950, 950));
  EXPECT_THAT(main.commands, ElementsAre(CommandId::Play));
  EXPECT_EQ(PaneGroupAt(panes, 950, 950), CommandGroup::Global);
}

}  // namespace
}  // namespace vantorelle
