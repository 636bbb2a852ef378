#include "commands/key_names.h"

#include "commands/shortcut_table.h"

namespace vantorelle {

std::string KeyName(std::int32_t key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
  if (key >= VirtualKey::F1 && key <= VirtualKey::F12) return "F" + std::to_string(key - 0x6F);
  if (key >= VirtualKey::Numpad0 && key <= VirtualKey::Numpad0 + 9) return "Num " + std::to_string(key - 0x60);
  switch (key) {
    case VirtualKey::Multiply: return "Num (*)";
    case VirtualKey::Add: return "Num (+)";
    case VirtualKey::Separator: return "Num Separator Key";
    case VirtualKey::Subtract: return "Num (-)";
    case VirtualKey::Decimal: return "Num (.)";
    case VirtualKey::Divide: return "Num (/)";
    case VirtualKey::Left: return "Left Arrow";
    case VirtualKey::Right: return "Right Arrow";
    case VirtualKey::Up: return "Up Arrow";
    case VirtualKey::Down: return "Down Arrow";
    case VirtualKey::Delete: return "Del";
    case VirtualKey::Insert: return "Ins";
    case VirtualKey::Space: return "Space";
    case VirtualKey::End: return "End";
    case VirtualKey::Home: return "Home";
    case VirtualKey::Enter: return "Enter";
    case VirtualKey::Escape: return "Escape";
    default: return std::to_string(key) + " key";
  }
}

std::string ShortcutText(std::int32_t key, bool ctrl, bool shift) {
  const std::string name = KeyName(key);
  if (name.empty()) return {};
  if (ctrl && shift) return "Ctrl + Shift + " + name;
  if (shift) return "Shift + " + name;
  if (ctrl) return "Ctrl + " + name;
  return name;
}

std::string ShortcutText(const CShortCut& shortcut) {
  return ShortcutText(shortcut.key, shortcut.ctrl != 0, shortcut.shift != 0);
}

}  // namespace vantorelle
