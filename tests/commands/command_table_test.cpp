// The command table: every command in the keyboard window's order, with the
// places, categories, tips and descriptions the menus and the window show.
#include <gtest/gtest.h>

#include <set>

#include "commands/command_table.h"

namespace vantorelle {
namespace {

const CCommandInfo& Row(const std::vector<CCommandInfo>& table, std::size_t index) { return table.at(index); }

TEST(CommandTable, HoldsSeventyCommandsInMenuOrder) {
  const auto table = BuildCommandTable();
  ASSERT_EQ(table.size(), 70u);
  const std::vector<int> expectedIds = {
      0xE100, 0xE101, 0xE103, 0xE104, 0xE105, 0x80A1, 0x80A0, 0x80AC, 0xE141,                  // File
      0x80A2, 0x80A3, 0x808F, 0x8091, 0x8090, 0x8092, 0x8097, 0x8093, 0x8094, 0x8095, 0x8096,  // Edit
      0x006D, 0x05AE, 0x80AE, 0x80A8, 0x80A9, 0x80AA, 0x80A4, 0x80A5, 0x80A6, 0x80A7, 0x80AD,  // View
      0x8098, 0x809A, 0x8099, 0x809C, 0x809B, 0x809E, 0x809D, 0x809F,                          // Command
      0x80AB, 0xE140,                                                                          // Tools, Help
      0x805C, 0x805D, 0x805E, 0x8059, 0x805A, 0x805B, 0x8065,                                  // track headers
      0x80BE, 0x80BF, 0x80C0, 0x80C1, 0x80C2, 0x80C3, 0x80C4, 0x80C5, 0x80C6, 0x80C7, 0x80C8, 0x80BC,
      0x80BD,                                  // tracks view
      0x8057, 0x8015, 0x8023, 0x8022,          // Clip Collection
      0x8007, 0x05B2,                          // time ruler
      0x0489, 0x048A, 0x048B};                 // favourite directories
  std::vector<int> ids;
  for (const auto& command : table) ids.push_back(command.id);
  EXPECT_EQ(ids, expectedIds);
  EXPECT_EQ(std::set<int>(ids.begin(), ids.end()).size(), ids.size()) << "ids are unique";
}

TEST(CommandTable, GroupsAndCategoriesFollowThePlace) {
  const auto table = BuildCommandTable();
  const std::set<std::string> globalCategories = {"File", "Edit", "View", "Command", "Tools", "Help"};
  for (const auto& command : table) {
    switch (command.group) {
      case CommandGroup::Global:
        EXPECT_TRUE(globalCategories.count(command.category)) << command.displayName;
        EXPECT_FALSE(command.shortName.empty()) << command.displayName;
        break;
      case CommandGroup::TracksView: EXPECT_EQ(command.category, "(Local) Tracks View"); break;
      case CommandGroup::TrackHeaders: EXPECT_EQ(command.category, "(Local) Tracks Status View"); break;
      case CommandGroup::ClipCollection: EXPECT_EQ(command.category, "(Local) Clip Collection"); break;
      case CommandGroup::TimeRuler: EXPECT_EQ(command.category, "(Local) Time Line"); break;
      case CommandGroup::FavouriteDirectories:
        EXPECT_EQ(command.category, "(Local) Favourite Directory List");
        break;
    }
    if (command.group != CommandGroup::Global) {
      EXPECT_TRUE(command.shortName.empty()) << command.displayName;
    }
    EXPECT_FALSE(command.description.empty()) << command.displayName;
  }
  EXPECT_EQ(Row(table, 7).displayName, "Relink offline media...");
  EXPECT_EQ(Row(table, 8).category, "File");
  EXPECT_EQ(Row(table, 9).category, "Edit");
  EXPECT_EQ(Row(table, 39).category, "Tools");
  EXPECT_EQ(Row(table, 40).category, "Help");
  EXPECT_EQ(Row(table, 41).group, CommandGroup::TrackHeaders);
  EXPECT_EQ(Row(table, 48).group, CommandGroup::TracksView);
  EXPECT_EQ(Row(table, 61).group, CommandGroup::ClipCollection);
  EXPECT_EQ(Row(table, 65).group, CommandGroup::TimeRuler);
  EXPECT_EQ(Row(table, 67).group, CommandGroup::FavouriteDirectories);
}

TEST(CommandTable, ExactRows) {
  const auto table = BuildCommandTable();
  EXPECT_EQ(Row(table, 4), (CCommandInfo{"Export...", "File",
                                         "Export the project to a film, \na sound file or a picture", "Export",
                                         0xE105, CommandGroup::Global}));
  EXPECT_EQ(Row(table, 0), (CCommandInfo{"New project", "File", "Create a new project", "New", 0xE100,
                                         CommandGroup::Global}));
  EXPECT_EQ(Row(table, 6), (CCommandInfo{"Import Velmo project...", "File", "Import Velmo project(*.tml file)",
                                         "Import project", 0x80A0, CommandGroup::Global}));
  EXPECT_EQ(Row(table, 31).displayName, "Play");
  EXPECT_EQ(Row(table, 31).description, "Playback active audio, video, \ntitle track");
  EXPECT_EQ(Row(table, 33).description, "Move cursor to playback \nstart position");
  EXPECT_EQ(Row(table, 38), (CCommandInfo{"Screen size settings...", "Command",
                                          "Initial set of the frame \nwidth/height", "Set screen size", 0x809F,
                                          CommandGroup::Global}));
  EXPECT_EQ(Row(table, 57).displayName, "Play");
  EXPECT_EQ(Row(table, 57).description, "Playback current clip");
  EXPECT_EQ(Row(table, 64), (CCommandInfo{"Properties...", "(Local) Clip Collection",
                                          "Show current source fle properties", "", 0x8022,
                                          CommandGroup::ClipCollection}));
  EXPECT_EQ(Row(table, 66).displayName, "Set range...");
  EXPECT_EQ(Row(table, 66).description, "Set range's left/right value");
  EXPECT_EQ(Row(table, 22), (CCommandInfo{"Monitor", "View",
                                          "Show the monitor: the picture under \nthe time mark and its transport bar",
                                          "Monitor", 0x80AE, CommandGroup::Global}));
  EXPECT_EQ(Row(table, 23).displayName, "Time in miliseconds");
}

TEST(CommandTable, GlobalShortNamesDropTheEllipsisUnlessTheyHaveTheirOwn) {
  const auto table = BuildCommandTable();
  auto shortName = [&](int id) {
    for (const auto& command : table) {
      if (command.id == id) return command.shortName;
    }
    return std::string("<none>");
  };
  EXPECT_EQ(shortName(0x809E), "Title track settings");
  EXPECT_EQ(shortName(0x809D), "Settings");
  EXPECT_EQ(shortName(0xE141), "Exit");
  EXPECT_EQ(shortName(0x8096), "Invert selection");
  EXPECT_EQ(shortName(0xE101), "Open");
  EXPECT_EQ(shortName(0xE104), "Save As");
  EXPECT_EQ(shortName(0x80A1), "Add");
  EXPECT_EQ(shortName(0x006D), "Show/hide Project Viewer");
  EXPECT_EQ(shortName(0x05AE), "Show/hide Clip Collection bar");
  EXPECT_EQ(shortName(0x80AB), "Set shortcuts");
  EXPECT_EQ(shortName(0xE140), "About");
  for (const auto& command : table) {
    EXPECT_EQ(command.shortName.find("..."), std::string::npos) << command.displayName;
  }
}

}  // namespace
}  // namespace vantorelle
