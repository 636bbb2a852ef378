// Key names and shortcut texts as the menus and the keyboard window show
// them (Windows virtual-key codes).
#include <gtest/gtest.h>

#include "commands/key_names.h"
#include "commands/shortcut_table.h"

namespace vantorelle {
namespace {

TEST(KeyName, LettersDigitsFunctionAndNumberPadKeys) {
  EXPECT_EQ(KeyName('A'), "A");
  EXPECT_EQ(KeyName('Z'), "Z");
  EXPECT_EQ(KeyName('0'), "0");
  EXPECT_EQ(KeyName('9'), "9");
  EXPECT_EQ(KeyName(0x70), "F1");
  EXPECT_EQ(KeyName(0x73), "F4");
  EXPECT_EQ(KeyName(0x7B), "F12");
  EXPECT_EQ(KeyName(0x7C), "124 key");  // F13 is not named
  EXPECT_EQ(KeyName(0x60), "Num 0");
  EXPECT_EQ(KeyName(0x69), "Num 9");
}

TEST(KeyName, NamedKeys) {
  const std::vector<std::pair<int, std::string>> rows = {
      {0x6A, "Num (*)"},    {0x6B, "Num (+)"},     {0x6C, "Num Separator Key"}, {0x6D, "Num (-)"},
      {0x6E, "Num (.)"},    {0x6F, "Num (/)"},     {0x25, "Left Arrow"},        {0x27, "Right Arrow"},
      {0x26, "Up Arrow"},   {0x28, "Down Arrow"},  {0x2E, "Del"},               {0x2D, "Ins"},
      {0x20, "Space"},      {0x23, "End"},         {0x24, "Home"},              {0x0D, "Enter"},
      {0x1B, "Escape"}};
  for (const auto& [key, name] : rows) EXPECT_EQ(KeyName(key), name) << key;
}

TEST(KeyName, AnyOtherKeyIsItsCode) {
  EXPECT_EQ(KeyName(0x09), "9 key");
  EXPECT_EQ(KeyName(0x22), "34 key");  // Page Down
  EXPECT_EQ(KeyName(0xBA), "186 key");  // the ";" key
  EXPECT_EQ(KeyName('a'), "Num 1");    // 0x61 is a number pad key, not a letter
  EXPECT_EQ(KeyName(0), "0 key");
}

TEST(ShortcutText, ModifierPrefixes) {
  EXPECT_EQ(ShortcutText('S', true, true), "Ctrl + Shift + S");
  EXPECT_EQ(ShortcutText('S', false, true), "Shift + S");
  EXPECT_EQ(ShortcutText('S', true, false), "Ctrl + S");
  EXPECT_EQ(ShortcutText(0x2E, false, false), "Del");
  EXPECT_EQ(ShortcutText(CShortCut{0x8090, CommandGroup::Global, 0, 1, 0x2D}), "Ctrl + Ins");
  EXPECT_EQ(ShortcutText(CShortCut{0x8092, CommandGroup::Global, 1, 0, 0x2D}), "Shift + Ins");
}

}  // namespace
}  // namespace vantorelle
