// Result codes of the board's play components. Every operation of a component
// returns one 32-bit result; only KlpOk counts as success.
#pragma once

#include <cstdint>
#include <string>

namespace vantorelle {

using KlpResult = std::int32_t;

inline constexpr KlpResult KlpOk = 0;
inline constexpr KlpResult KlpFalse = 1;
inline constexpr KlpResult KlpNotImplemented = static_cast<KlpResult>(0x80004001u);
inline constexpr KlpResult KlpNoInterface = static_cast<KlpResult>(0x80004002u);
inline constexpr KlpResult KlpPointer = static_cast<KlpResult>(0x80004003u);
inline constexpr KlpResult KlpFail = static_cast<KlpResult>(0x80004005u);
inline constexpr KlpResult KlpUnexpected = static_cast<KlpResult>(0x8000FFFFu);
inline constexpr KlpResult KlpOutOfMemory = static_cast<KlpResult>(0x8007000Eu);
inline constexpr KlpResult KlpInvalidArgument = static_cast<KlpResult>(0x80070057u);
inline constexpr KlpResult KlpFileNotFound = static_cast<KlpResult>(0x80070002u);
inline constexpr KlpResult KlpClassNotRegistered = static_cast<KlpResult>(0x80040154u);
inline constexpr KlpResult KlpBadFormat = static_cast<KlpResult>(0x8007000Bu);
inline constexpr KlpResult KlpReadFault = static_cast<KlpResult>(0x8007001Eu);

inline bool KlpSucceeded(KlpResult result) { return result == KlpOk; }

// The system's text for a result code, as shown in component error boxes.
std::string KlpResultText(KlpResult result);

}  // namespace vantorelle
