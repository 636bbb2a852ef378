// The block of bytes a drag of sources carries: little-endian 32-bit words.
// Rows of the Clip Collection list: kind 0, a count n, then n records of a
// length L (path length + 1) and the path's L bytes with their terminating
// zero; 8 + Σ (L + 4) bytes in all. A file from the file viewer: kind 1, one
// length L and the path's L bytes.
//
// A payload may come from any program that offers plain text, so reading one
// trusts nothing in it: every length is held against the bytes left.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantorelle {

namespace DragSourceKind {
inline constexpr std::uint32_t ClipList = 0;
inline constexpr std::uint32_t FileViewer = 1;
}  // namespace DragSourceKind

struct SourceDragPayload {
  std::uint32_t kind = DragSourceKind::ClipList;
  std::vector<std::string> paths;  // one for the file viewer

  bool operator==(const SourceDragPayload&) const = default;
};

// The clipboard format the block is offered as (plain text).
inline constexpr std::uint32_t kSourceDragClipboardFormat = 1;

// Paths holding a zero byte cannot be carried: none is built for them.
std::optional<std::vector<std::uint8_t>> BuildClipListPayload(const std::vector<std::string>& paths);
std::optional<std::vector<std::uint8_t>> BuildFileViewerPayload(const std::string& path);

// The first word alone; none when fewer than 4 bytes.
std::optional<std::uint32_t> SourceDragPayloadKind(std::span<const std::uint8_t> bytes);

// None for an unknown kind, a record running past the end, a length of 0,
// a path without its terminating zero or with a zero inside. Bytes after the
// last record are ignored: clipboard blocks may come rounded up in size.
std::optional<SourceDragPayload> ParseSourceDragPayload(std::span<const std::uint8_t> bytes);

}  // namespace vantorelle
