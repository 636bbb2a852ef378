#include "document/checksum.h"

extern "C" {
#include <libavutil/crc.h>
}

namespace vantorelle {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  // av_crc reads through a null buffer (its end - 3 wraps round), so an
  // empty one never reaches it; the CRC of nothing is 0.
  if (size == 0) return 0;
  // The table is built once by libavutil and shared by every thread.
  static const AVCRC* const table = av_crc_get_table(AV_CRC_32_IEEE_LE);
  return av_crc(table, 0xFFFFFFFFu, data, size) ^ 0xFFFFFFFFu;
}

}  // namespace vantorelle
