// Feeds arbitrary bytes to the reader of Velmo timeline projects (*.tml).
// Relative clip paths are resolved below a folder that need not exist: the
// reader only builds the paths, it never opens them.
#include <cstddef>
#include <cstdint>

#include "document/tml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const vantorelle::TmlReadResult result =
      vantorelle::ReadTimelineProjectBytes(data, size, "/fuzz/projects/input.tml");
  if (result.status != vantorelle::TmlStatus::Ok && !result.project.items.empty()) __builtin_trap();
  for (const vantorelle::TmlItem& item : result.project.items) {
    if (item.filePath.size() > vantorelle::kTmlMaxPathLength) __builtin_trap();
  }
  return 0;
}
