#include "qt_keys.h"

#include "model/virtual_keys.h"

namespace vantorelle::shell {
namespace {

// Windows virtual-key codes that only this mapping needs.
namespace MoreKeys {
constexpr std::uint32_t Backspace = 0x08;
constexpr std::uint32_t Clear = 0x0C;  // keypad 5 without Num Lock
constexpr std::uint32_t Pause = 0x13;
constexpr std::uint32_t PageUp = 0x21;
constexpr std::uint32_t PageDown = 0x22;
constexpr std::uint32_t Print = 0x2C;
constexpr std::uint32_t F13 = 0x7C;
// The punctuation keys of a US keyboard, named by their unshifted character.
constexpr std::uint32_t Semicolon = 0xBA;
constexpr std::uint32_t Equal = 0xBB;
constexpr std::uint32_t Comma = 0xBC;
constexpr std::uint32_t Minus = 0xBD;
constexpr std::uint32_t Period = 0xBE;
constexpr std::uint32_t Slash = 0xBF;
constexpr std::uint32_t Grave = 0xC0;
constexpr std::uint32_t BracketLeft = 0xDB;
constexpr std::uint32_t Backslash = 0xDC;
constexpr std::uint32_t BracketRight = 0xDD;
constexpr std::uint32_t Apostrophe = 0xDE;
}  // namespace MoreKeys

std::uint32_t KeypadKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return VirtualKey::Numpad0 + (key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Asterisk: return VirtualKey::Multiply;
    case Qt::Key_Plus: return VirtualKey::Add;
    case Qt::Key_Minus: return VirtualKey::Subtract;
    case Qt::Key_Period: return VirtualKey::Decimal;
    case Qt::Key_Comma: return VirtualKey::Separator;
    case Qt::Key_Slash: return VirtualKey::Divide;
    case Qt::Key_Enter: return VirtualKey::Enter;
    default: return 0;  // without Num Lock the keypad sends the cursor keys
  }
}

// A key is one code whatever Shift makes it type: Qt reports the shifted
// character, a virtual key names the key.
std::uint32_t PunctuationKey(int key) {
  switch (key) {
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return MoreKeys::Semicolon;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return MoreKeys::Equal;
    case Qt::Key_Comma:
    case Qt::Key_Less: return MoreKeys::Comma;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return MoreKeys::Minus;
    case Qt::Key_Period:
    case Qt::Key_Greater: return MoreKeys::Period;
    case Qt::Key_Slash:
    case Qt::Key_Question: return MoreKeys::Slash;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return MoreKeys::Grave;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return MoreKeys::BracketLeft;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return MoreKeys::Backslash;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return MoreKeys::BracketRight;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return MoreKeys::Apostrophe;
    default: return 0;
  }
}

}  // namespace

std::uint32_t VirtualKeyOf(const QKeyEvent& event) {
  const int key = event.key();
  if (event.modifiers() & Qt::KeypadModifier) {
    if (const std::uint32_t code = KeypadKey(key)) return code;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return VirtualKey::F1 + (key - Qt::Key_F1);
  if (key >= Qt::Key_F13 && key <= Qt::Key_F24) return MoreKeys::F13 + (key - Qt::Key_F13);
  if (const std::uint32_t code = PunctuationKey(key)) return code;
  switch (key) {
    case Qt::Key_Backspace: return MoreKeys::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VirtualKey::Tab;
    case Qt::Key_Clear: return MoreKeys::Clear;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VirtualKey::Enter;
    case Qt::Key_Shift: return VirtualKey::Shift;
    case Qt::Key_Control: return VirtualKey::Ctrl;
    case Qt::Key_Alt: return VirtualKey::Alt;
    case Qt::Key_Pause: return MoreKeys::Pause;
    case Qt::Key_Escape: return VirtualKey::Escape;
    case Qt::Key_Space: return VirtualKey::Space;
    case Qt::Key_PageUp: return MoreKeys::PageUp;
    case Qt::Key_PageDown: return MoreKeys::PageDown;
    case Qt::Key_End: return VirtualKey::End;
    case Qt::Key_Home: return VirtualKey::Home;
    case Qt::Key_Left: return VirtualKey::Left;
    case Qt::Key_Up: return VirtualKey::Up;
    case Qt::Key_Right: return VirtualKey::Right;
    case Qt::Key_Down: return VirtualKey::Down;
    case Qt::Key_Print: return MoreKeys::Print;
    case Qt::Key_Insert: return VirtualKey::Insert;
    case Qt::Key_Delete: return VirtualKey::Delete;
    default: return 0;
  }
}

}  // namespace vantorelle::shell
