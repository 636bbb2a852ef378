// Qt's key codes as the core's virtual-key codes.
#pragma once

#include <QKeyEvent>
#include <cstdint>

namespace vantorelle::shell {

// 0 for keys the core has no code for.
std::uint32_t VirtualKeyOf(const QKeyEvent& event);

}  // namespace vantorelle::shell
