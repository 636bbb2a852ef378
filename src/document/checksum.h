// The CRC-32 the stored files carry (the one of zlib, PNG and IEEE 802.3:
// reflected polynomial 0xEDB88320, all ones in and out), from libavutil.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantorelle {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

}  // namespace vantorelle
