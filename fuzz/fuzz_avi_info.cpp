// Feeds arbitrary bytes to the software board's AVI reader, from memory, and
// asks the layout it accepts what the board would: every index entry marked
// as lying in the file must lie in the file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "playback/software_board/avi_byte_source.h"
#include "playback/software_board/avi_index_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantorelle;
  AviMemorySource source(std::vector<std::uint8_t>(data, data + size));
  AviLayout layout;
  if (!KlpSucceeded(ReadAviLayout(source, layout))) return 0;
  for (const AviStream& stream : layout.streams) {
    for (const AviIndexEntry& entry : stream.index) {
      if (entry.inFile && (entry.dataOffset > size || entry.size > size - entry.dataOffset)) __builtin_trap();
    }
  }
  return 0;
}
