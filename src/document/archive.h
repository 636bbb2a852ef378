// The byte encodings of project files, settings values and shortcut records:
// little-endian integers, IEEE 754 doubles, length-prefixed single-byte
// texts and counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/pixel_rect.h"

namespace vantorelle {

// Thrown by the reader on truncated or malformed data.
class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ArchiveWriter {
 public:
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value);
  void U32(std::uint32_t value);
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void F64(double value);
  // Four i32: left, top, right, bottom.
  void Rect(const PixelRect& rect);
  // Length below 255: one byte; below 0xFFFE: 0xFF and a u16; else 0xFF,
  // 0xFFFF and a u32. (A u16 of 0xFFFE would announce a wide text.)
  void Text(std::string_view text);
  // Below 0xFFFF: a u16; else 0xFFFF and a u32.
  void Count(std::uint32_t count);
  void Bytes(const std::vector<std::uint8_t>& bytes);

  const std::vector<std::uint8_t>& Data() const { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  void LittleEndian(std::uint64_t value, int count);

  std::vector<std::uint8_t> bytes_;
};

// Where a reader gets bytes that are not all in memory, such as a file read
// a piece at a time as the parse asks for it.
class ArchiveByteSource {
 public:
  virtual ~ArchiveByteSource() = default;
  // The next count bytes; throws ArchiveError when they cannot be had.
  virtual void Read(std::uint8_t* into, std::size_t count) = 0;
};

class ArchiveReader {
 public:
  explicit ArchiveReader(const std::vector<std::uint8_t>& bytes) : data_(bytes.data()), size_(bytes.size()) {}
  ArchiveReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  // Reads size bytes from source as they are taken, keeping only a small
  // window of them: no field can ask for more than the size leaves.
  ArchiveReader(ArchiveByteSource& source, std::size_t size) : size_(size), source_(&source) {}

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  double F64();
  PixelRect Rect();
  std::string Text();
  std::uint32_t Count();
  // Takes the bytes only when the data goes on with exactly them; otherwise
  // nothing is taken. For optional blocks known by a leading tag.
  bool TakeIfNext(std::string_view expected);

  std::size_t Offset() const { return offset_; }
  std::size_t Remaining() const { return size_ - offset_; }
  bool AtEnd() const { return offset_ == size_; }

 private:
  const std::uint8_t* Take(std::size_t count);

  const std::uint8_t* data_ = nullptr;
  std::size_t size_;
  std::size_t offset_ = 0;
  // Only with a byte source: the bytes from windowStart_ on that were read.
  ArchiveByteSource* source_ = nullptr;
  std::vector<std::uint8_t> window_;
  std::size_t windowStart_ = 0;
};

}  // namespace vantorelle
