#include "collection/source_drag_payload.h"

#include <limits>

namespace vantorelle {

namespace {

// Smallest record: a length word and the terminating zero of an empty path.
constexpr std::size_t kSmallestRecord = 4 + 1;

void PutWord(std::vector<std::uint8_t>& out, std::uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(word >> shift));
}

bool PutPath(std::vector<std::uint8_t>& out, const std::string& path) {
  if (path.find('\0') != std::string::npos) return false;
  if (path.size() >= std::numeric_limits<std::uint32_t>::max()) return false;
  PutWord(out, static_cast<std::uint32_t>(path.size() + 1));
  out.insert(out.end(), path.begin(), path.end());
  out.push_back(0);
  return true;
}

class PayloadReader {
 public:
  explicit PayloadReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Left() const { return bytes_.size() - position_; }

  std::optional<std::uint32_t> Word() {
    if (Left() < 4) return std::nullopt;
    std::uint32_t word = 0;
    for (int i = 0; i < 4; ++i) word |= static_cast<std::uint32_t>(bytes_[position_ + i]) << (8 * i);
    position_ += 4;
    return word;
  }

  std::optional<std::string> Path() {
    const auto length = Word();
    if (!length || *length == 0 || *length > Left()) return std::nullopt;
    const auto text = bytes_.subspan(position_, *length);
    position_ += *length;
    if (text.back() != 0) return std::nullopt;
    std::string path(text.begin(), text.end() - 1);
    if (path.find('\0') != std::string::npos) return std::nullopt;
    return path;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> BuildClipListPayload(const std::vector<std::string>& paths) {
  std::size_t size = 8;
  for (const auto& path : paths) size += path.size() + 1 + 4;
  std::vector<std::uint8_t> out;
  out.reserve(size);
  PutWord(out, DragSourceKind::ClipList);
  PutWord(out, static_cast<std::uint32_t>(paths.size()));
  for (const auto& path : paths) {
    if (!PutPath(out, path)) return std::nullopt;
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> BuildFileViewerPayload(const std::string& path) {
  std::vector<std::uint8_t> out;
  PutWord(out, DragSourceKind::FileViewer);
  if (!PutPath(out, path)) return std::nullopt;
  return out;
}

std::optional<std::uint32_t> SourceDragPayloadKind(std::span<const std::uint8_t> bytes) {
  return PayloadReader(bytes).Word();
}

std::optional<SourceDragPayload> ParseSourceDragPayload(std::span<const std::uint8_t> bytes) {
  PayloadReader reader(bytes);
  const auto kind = reader.Word();
  if (!kind) return std::nullopt;
  SourceDragPayload payload;
  payload.kind = *kind;
  if (*kind == DragSourceKind::FileViewer) {
    auto path = reader.Path();
    if (!path) return std::nullopt;
    payload.paths.push_back(std::move(*path));
    return payload;
  }
  if (*kind != DragSourceKind::ClipList) return std::nullopt;
  const auto count = reader.Word();
  // A count the bytes left cannot hold is refused before anything is kept.
  if (!count || *count > reader.Left() / kSmallestRecord) return std::nullopt;
  payload.paths.reserve(*count);
  for (std::uint32_t i = 0; i < *count; ++i) {
    auto path = reader.Path();
    if (!path) return std::nullopt;
    payload.paths.push_back(std::move(*path));
  }
  return payload;
}

}  // namespace vantorelle
