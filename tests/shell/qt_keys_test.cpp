// Qt's keys as virtual-key codes: every key a person may bind gets its code,
// whatever Shift or the keypad make of it.
#include "qt_keys.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>

#include "commands/key_names.h"

namespace vantorelle::testing {
namespace {

std::uint32_t CodeOf(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QKeyEvent event(QEvent::KeyPress, key, modifiers);
  return shell::VirtualKeyOf(event);
}

TEST(QtKeysTest, PageKeysBackspaceAndFunctionKeysHaveTheirCodes) {
  EXPECT_EQ(CodeOf(Qt::Key_PageUp), 0x21u);
  EXPECT_EQ(CodeOf(Qt::Key_PageDown), 0x22u);
  EXPECT_EQ(CodeOf(Qt::Key_Backspace), 0x08u);
  EXPECT_EQ(CodeOf(Qt::Key_F5), 0x74u);
  EXPECT_EQ(CodeOf(Qt::Key_F13), 0x7Cu);
  EXPECT_EQ(CodeOf(Qt::Key_Pause), 0x13u);
}

TEST(QtKeysTest, PunctuationIsOneKeyWithOrWithoutShift) {
  const std::pair<int, int> pairs[] = {{Qt::Key_Semicolon, Qt::Key_Colon},     {Qt::Key_Equal, Qt::Key_Plus},
                                       {Qt::Key_Comma, Qt::Key_Less},          {Qt::Key_Minus, Qt::Key_Underscore},
                                       {Qt::Key_Period, Qt::Key_Greater},      {Qt::Key_Slash, Qt::Key_Question},
                                       {Qt::Key_QuoteLeft, Qt::Key_AsciiTilde}, {Qt::Key_BracketLeft, Qt::Key_BraceLeft},
                                       {Qt::Key_Backslash, Qt::Key_Bar},       {Qt::Key_BracketRight, Qt::Key_BraceRight},
                                       {Qt::Key_Apostrophe, Qt::Key_QuoteDbl}};
  std::set<std::uint32_t> codes;
  for (const auto& [plain, shifted] : pairs) {
    const std::uint32_t code = CodeOf(plain);
    EXPECT_NE(code, 0u) << plain;
    EXPECT_EQ(CodeOf(shifted, Qt::ShiftModifier), code) << shifted;
    codes.insert(code);
  }
  EXPECT_EQ(codes.size(), std::size(pairs));  // no two keys share a code
  EXPECT_EQ(CodeOf(Qt::Key_Comma), 0xBCu);
  EXPECT_EQ(CodeOf(Qt::Key_Exclam, Qt::ShiftModifier), static_cast<std::uint32_t>('1'));
  EXPECT_EQ(CodeOf(Qt::Key_ParenRight, Qt::ShiftModifier), static_cast<std::uint32_t>('0'));
}

TEST(QtKeysTest, TheKeypadGivesItsOwnKeysAndItsCursorKeysWithoutNumLock) {
  EXPECT_EQ(CodeOf(Qt::Key_7, Qt::KeypadModifier), 0x67u);
  EXPECT_EQ(KeyName(static_cast<std::int32_t>(CodeOf(Qt::Key_7, Qt::KeypadModifier))), "Num 7");
  EXPECT_EQ(CodeOf(Qt::Key_Plus, Qt::KeypadModifier), 0x6Bu);
  EXPECT_EQ(CodeOf(Qt::Key_Slash, Qt::KeypadModifier), 0x6Fu);
  EXPECT_EQ(CodeOf(Qt::Key_PageUp, Qt::KeypadModifier), 0x21u);
  EXPECT_EQ(CodeOf(Qt::Key_Home, Qt::KeypadModifier), 0x24u);
  EXPECT_EQ(CodeOf(Qt::Key_Clear, Qt::KeypadModifier), 0x0Cu);
  EXPECT_EQ(CodeOf(Qt::Key_Delete, Qt::KeypadModifier), 0x2Eu);
}

}  // namespace
}  // namespace vantorelle::testing
