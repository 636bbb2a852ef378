// Keys as the core knows them: Windows virtual-key codes, whatever the
// toolkit delivers; the shell maps its own key codes onto these.
#pragma once

#include <cstdint>

namespace vantorelle {

namespace VirtualKey {
inline constexpr std::int32_t Tab = 0x09;
inline constexpr std::int32_t Enter = 0x0D;
inline constexpr std::int32_t Shift = 0x10;
inline constexpr std::int32_t Ctrl = 0x11;
inline constexpr std::int32_t Alt = 0x12;
inline constexpr std::int32_t Escape = 0x1B;
inline constexpr std::int32_t Space = 0x20;
inline constexpr std::int32_t End = 0x23;
inline constexpr std::int32_t Home = 0x24;
inline constexpr std::int32_t Left = 0x25;
inline constexpr std::int32_t Up = 0x26;
inline constexpr std::int32_t Right = 0x27;
inline constexpr std::int32_t Down = 0x28;
inline constexpr std::int32_t Insert = 0x2D;
inline constexpr std::int32_t Delete = 0x2E;
inline constexpr std::int32_t Numpad0 = 0x60;
inline constexpr std::int32_t Multiply = 0x6A;
inline constexpr std::int32_t Add = 0x6B;
inline constexpr std::int32_t Separator = 0x6C;
inline constexpr std::int32_t Subtract = 0x6D;
inline constexpr std::int32_t Decimal = 0x6E;
inline constexpr std::int32_t Divide = 0x6F;
inline constexpr std::int32_t F1 = 0x70;
inline constexpr std::int32_t F12 = 0x7B;
}  // namespace VirtualKey

}  // namespace vantorelle
