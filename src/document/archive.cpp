#include "document/archive.h"

#include <algorithm>
#include <cstring>

namespace vantorelle {

// Appends the low `count` bytes of `value`, least significant first, in one
// insertion: saves and the undo snapshots write millions of these.
void ArchiveWriter::LittleEndian(std::uint64_t value, int count) {
  std::uint8_t bytes[8];
  for (int i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
  bytes_.insert(bytes_.end(), bytes, bytes + count);
}

void ArchiveWriter::U16(std::uint16_t value) { LittleEndian(value, 2); }

void ArchiveWriter::U32(std::uint32_t value) { LittleEndian(value, 4); }

void ArchiveWriter::F64(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  LittleEndian(bits, 8);
}

void ArchiveWriter::Text(std::string_view text) {
  const std::size_t length = text.size();
  if (length < 0xFF) {
    U8(static_cast<std::uint8_t>(length));
  } else if (length < 0xFFFE) {
    U8(0xFF);
    U16(static_cast<std::uint16_t>(length));
  } else {
    U8(0xFF);
    U16(0xFFFF);
    U32(static_cast<std::uint32_t>(length));
  }
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void ArchiveWriter::Count(std::uint32_t count) {
  if (count < 0xFFFF) {
    U16(static_cast<std::uint16_t>(count));
  } else {
    U16(0xFFFF);
    U32(count);
  }
}

void ArchiveWriter::Bytes(const std::vector<std::uint8_t>& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

const std::uint8_t* ArchiveReader::Take(std::size_t count) {
  if (count > Remaining()) throw ArchiveError("unexpected end of data");
  if (!source_) {
    const std::uint8_t* at = data_ + offset_;
    offset_ += count;
    return at;
  }
  // Read ahead in pieces of this size, so small fields do not each cost a read.
  constexpr std::size_t kReadAhead = 64 * 1024;
  if (offset_ + count > windowStart_ + window_.size()) {
    window_.erase(window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(offset_ - windowStart_));
    windowStart_ = offset_;
    const std::size_t kept = window_.size();
    const std::size_t wanted = std::max(count, std::min(kReadAhead, Remaining()));
    window_.resize(wanted);
    source_->Read(window_.data() + kept, wanted - kept);
  }
  const std::uint8_t* at = window_.data() + (offset_ - windowStart_);
  offset_ += count;
  return at;
}

bool ArchiveReader::TakeIfNext(std::string_view expected) {
  if (expected.size() > Remaining()) return false;
  const std::uint8_t* at = Take(expected.size());
  if (std::equal(expected.begin(), expected.end(), at,
                 [](char wanted, std::uint8_t got) { return static_cast<std::uint8_t>(wanted) == got; })) {
    return true;
  }
  // The bytes just taken are still in the window (or in memory): step back.
  offset_ -= expected.size();
  return false;
}

std::uint8_t ArchiveReader::U8() { return *Take(1); }

std::uint16_t ArchiveReader::U16() {
  const std::uint8_t* at = Take(2);
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t ArchiveReader::U32() {
  const std::uint8_t* at = Take(4);
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

double ArchiveReader::F64() {
  const std::uint8_t* at = Take(8);
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | at[i];
  double value = 0.0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::string ArchiveReader::Text() {
  std::uint32_t length = U8();
  if (length == 0xFF) {
    length = U16();
    if (length == 0xFFFE) throw ArchiveError("wide-character text");
    if (length == 0xFFFF) length = U32();
  }
  const std::uint8_t* at = Take(length);
  return std::string(reinterpret_cast<const char*>(at), length);
}

std::uint32_t ArchiveReader::Count() {
  const std::uint16_t count = U16();
  return count == 0xFFFF ? U32() : count;
}

void ArchiveWriter::Rect(const PixelRect& rect) {
  I32(rect.left);
  I32(rect.top);
  I32(rect.right);
  I32(rect.bottom);
}

PixelRect ArchiveReader::Rect() {
  PixelRect rect;
  rect.left = I32();
  rect.top = I32();
  rect.right = I32();
  rect.bottom = I32();
  return rect;
}

}  // namespace vantorelle
