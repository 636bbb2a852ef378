// The texts keys and key combinations are shown with in menus, tips and the
// keyboard window. Keys are Windows virtual-key codes, whatever the source.
#pragma once

#include <cstdint>
#include <string>

#include "model/virtual_keys.h"

namespace vantorelle {

struct CShortCut;

std::string KeyName(std::int32_t key);

// "Ctrl + Shift + ", "Shift + " or "Ctrl + " before the key's name.
std::string ShortcutText(std::int32_t key, bool ctrl, bool shift);
std::string ShortcutText(const CShortCut& shortcut);

}  // namespace vantorelle
