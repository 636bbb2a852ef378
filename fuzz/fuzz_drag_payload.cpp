// Feeds arbitrary bytes to the reader of source drag payloads, which may come
// from any program offering plain text. A payload it accepts must come back
// unchanged through the builder of its kind.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "collection/source_drag_payload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantorelle;
  const std::optional<SourceDragPayload> payload = ParseSourceDragPayload(std::span<const std::uint8_t>(data, size));
  if (!payload) return 0;
  std::optional<std::vector<std::uint8_t>> rebuilt;
  if (payload->kind == DragSourceKind::ClipList) {
    rebuilt = BuildClipListPayload(payload->paths);
  } else {
    if (payload->paths.size() != 1) __builtin_trap();
    rebuilt = BuildFileViewerPayload(payload->paths.front());
  }
  if (!rebuilt) __builtin_trap();
  const std::optional<SourceDragPayload> again = ParseSourceDragPayload(*rebuilt);
  if (!again || *again != *payload) __builtin_trap();
  return 0;
}
