// Shortcut table files (*.vrk): their exact bytes, the files they refuse and
// why, and what a failed load leaves in the list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "commands/shortcut_file.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ScriptedUserInterface;
using testing::TempDir;

const std::string kHeader = "Vantorelle shortcut table abcde";

void Append(Bytes& bytes, std::initializer_list<std::uint8_t> more) { bytes.insert(bytes.end(), more); }

void AppendU32(Bytes& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

Bytes HeaderBytes(const std::string& text = kHeader) {
  Bytes bytes{static_cast<std::uint8_t>(text.size())};
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(ShortcutFileBytes, HeaderCountAndRecordsInFileFieldOrder) {
  const ShortCutList list = {{0x8090, CommandGroup::Global, 0, 1, 0x2D},
                             {0x8015, CommandGroup::ClipCollection, 1, 0, 0x2E}};
  Bytes expected = HeaderBytes();
  ASSERT_EQ(expected.size(), 32u);
  EXPECT_EQ(expected[0], 0x1F);
  AppendU32(expected, 2);
  // command id, ctrl, shift, key, group
  Append(expected, {0x90, 0x80, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x2D, 0, 0, 0, 1, 0, 0, 0});
  Append(expected, {0x15, 0x80, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x2E, 0, 0, 0, 4, 0, 0, 0});
  EXPECT_EQ(ShortcutFileBytes(list), expected);
  EXPECT_EQ(ShortcutFileBytes(list).size(), 36u + 40u);
}

TEST(ShortcutFileBytes, EmptyListIsThirtySixBytesAndLoadsEmpty) {
  Bytes file = HeaderBytes();
  AppendU32(file, 0);
  ASSERT_EQ(file.size(), 36u);
  EXPECT_EQ(ShortcutFileBytes({}), file);
  const ShortcutFileLoad loaded = ParseShortcutFile(file);
  EXPECT_TRUE(loaded.Ok()) << loaded.error;
  EXPECT_TRUE(loaded.shortcuts.empty());
}

TEST(ShortcutFileBytes, HeaderDifferingInOneLettersCaseIsRefused) {
  Bytes file = HeaderBytes("Vantorelle Shortcut table abcde");
  ASSERT_EQ(file[0], 0x1F);
  AppendU32(file, 1);
  Append(file, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 0, 0, 0, 1, 0, 0, 0});
  const ShortcutFileLoad loaded = ParseShortcutFile(file);
  EXPECT_EQ(loaded.error, "Invalide shortcut table file format");
  EXPECT_TRUE(loaded.shortcuts.empty());

  CShortCutImpex impex;
  ArchiveReader reader(file);
  impex.Load(reader);
  EXPECT_EQ(impex.badFormat, 1);
  EXPECT_EQ(reader.Offset(), 32u) << "nothing is read after the header";
}

TEST(ShortcutFileBytes, LongerHeaderEncodingsAreAccepted) {
  const Bytes record = {7, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 'K', 0, 0, 0, 5, 0, 0, 0};
  Bytes sixteen = {0xFF, 0x1F, 0x00};
  sixteen.insert(sixteen.end(), kHeader.begin(), kHeader.end());
  Bytes thirtyTwo = {0xFF, 0xFF, 0xFF, 0x1F, 0, 0, 0};
  thirtyTwo.insert(thirtyTwo.end(), kHeader.begin(), kHeader.end());
  for (Bytes file : {sixteen, thirtyTwo}) {
    AppendU32(file, 1);
    file.insert(file.end(), record.begin(), record.end());
    const ShortcutFileLoad loaded = ParseShortcutFile(file);
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    EXPECT_EQ(loaded.shortcuts, (ShortCutList{{7, CommandGroup::TimeRuler, 0, 1, 'K'}}));
  }
}

TEST(ShortcutFileBytes, CountBeyondTheRecordsIsAnArchiveErrorAndNothingIsKept) {
  Bytes file = HeaderBytes();
  AppendU32(file, 3);
  Append(file, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 0, 0, 0, 1, 0, 0, 0});
  Append(file, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'B', 0, 0, 0, 1, 0, 0, 0});
  const ShortcutFileLoad loaded = ParseShortcutFile(file);
  EXPECT_EQ(loaded.error, "Archive error for save shortcut table");
  EXPECT_TRUE(loaded.shortcuts.empty());

  Bytes huge = HeaderBytes();
  AppendU32(huge, 0xFFFFFFFFu);
  EXPECT_EQ(ParseShortcutFile(huge).error, "Archive error for save shortcut table");
  EXPECT_EQ(ParseShortcutFile({}).error, "Archive error for save shortcut table");
  EXPECT_EQ(ParseShortcutFile({0x1F, 'V', 'a'}).error, "Archive error for save shortcut table");
}

TEST(ShortcutFile, SaveThenLoadGivesTheSameListInOrder) {
  TempDir dir;
  ShortCutList list = DefaultShortCutList();
  list.push_back({0x0489, CommandGroup::FavouriteDirectories, 1, 1, 0x7B});
  const std::string path = dir.File("keys.vrk");
  EXPECT_EQ(SaveShortcutFile(path, list), "");
  EXPECT_EQ(ReadFile(path), ShortcutFileBytes(list));
  const ShortcutFileLoad loaded = LoadShortcutFile(path);
  ASSERT_TRUE(loaded.Ok()) << loaded.error;
  EXPECT_EQ(loaded.shortcuts, list);
}

TEST(ShortcutFile, FailuresAndTheirTexts) {
  TempDir dir;
  EXPECT_EQ(LoadShortcutFile(dir.File("missing.vrk")).error, "Can't open file for save shortcut table");
  EXPECT_EQ(SaveShortcutFile((dir.Path() / "no-such-folder" / "k.vrk").string(), {}),
            "Can't open file for save shortcut table");
  Bytes bad = HeaderBytes("Vantorelle shortcut table abcdE");
  AppendU32(bad, 0);
  EXPECT_EQ(LoadShortcutFile(dir.WriteFile("bad.vrk", AsString(bad))).error, "Invalide shortcut table file format");
}

TEST(ShortcutFile, FailedLoadWarnsAndGivesTheDefaults) {
  TempDir dir;
  Bytes file = HeaderBytes();
  AppendU32(file, 2);
  Append(file, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 0, 0, 0, 1, 0, 0, 0});
  const std::string path = dir.WriteFile("short.vrk", AsString(file));
  ScriptedUserInterface ui;
  const ShortCutList defaults = DefaultShortCutList();
  EXPECT_EQ(LoadShortcutFileOrDefault(path, defaults, ui), defaults);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Archive error for save shortcut table");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
}

}  // namespace
}  // namespace vantorelle
