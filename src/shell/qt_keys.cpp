#include "qt_keys.h"

#include "model/virtual_keys.h"

namespace vantorelle::shell {

std::uint32_t VirtualKeyOf(const QKeyEvent& event) {
  const int key = event.key();
  const bool keypad = event.modifiers() & Qt::KeypadModifier;
  if (keypad) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return VirtualKey::Numpad0 + (key - Qt::Key_0);
    switch (key) {
      case Qt::Key_Asterisk: return VirtualKey::Multiply;
      case Qt::Key_Plus: return VirtualKey::Add;
      case Qt::Key_Minus: return VirtualKey::Subtract;
      case Qt::Key_Period: return VirtualKey::Decimal;
      case Qt::Key_Comma: return VirtualKey::Separator;
      case Qt::Key_Slash: return VirtualKey::Divide;
      case Qt::Key_Enter: return VirtualKey::Enter;
      default: break;
    }
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return VirtualKey::F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Tab: return VirtualKey::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VirtualKey::Enter;
    case Qt::Key_Shift: return VirtualKey::Shift;
    case Qt::Key_Control: return VirtualKey::Ctrl;
    case Qt::Key_Alt: return VirtualKey::Alt;
    case Qt::Key_Escape: return VirtualKey::Escape;
    case Qt::Key_Space: return VirtualKey::Space;
    case Qt::Key_End: return VirtualKey::End;
    case Qt::Key_Home: return VirtualKey::Home;
    case Qt::Key_Left: return VirtualKey::Left;
    case Qt::Key_Up: return VirtualKey::Up;
    case Qt::Key_Right: return VirtualKey::Right;
    case Qt::Key_Down: return VirtualKey::Down;
    case Qt::Key_Insert: return VirtualKey::Insert;
    case Qt::Key_Delete: return VirtualKey::Delete;
    default: return 0;
  }
}

}  // namespace vantorelle::shell
