// Feeds arbitrary bytes to the project file reader. A stream it accepts must
// survive being written and read again: the writer and the reader share one
// field order, so a refusal of our own output is a fault too.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/project_file_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  const vantorelle::ProjectFileReadResult result = vantorelle::ReadProjectFile(bytes);
  if (result.ok) {
    const vantorelle::ProjectFileReadResult again = vantorelle::ReadProjectFile(vantorelle::WriteProjectFile(result.contents));
    if (!again.ok) __builtin_trap();
  }
  return 0;
}
