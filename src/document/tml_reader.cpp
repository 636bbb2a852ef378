#include "document/tml_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>

#include "model/regular_file.h"
#include "model/source_paths.h"

namespace vantorelle {
namespace {

constexpr char kHeader[] = "TimeLine Project (c) Firm Quorvan";  // 33 characters and its 0 byte
constexpr std::size_t kHeaderSize = sizeof kHeader;
static_assert(kHeaderSize == 34);

constexpr std::uint32_t kProjectChunk = 100;
constexpr std::uint32_t kChannelLevelChunk = 124;
constexpr std::uint32_t kMasterLevelChunk = 128;
constexpr std::uint32_t kItemChunk = 400;
constexpr std::size_t kChannelLevelBytes = 128;

constexpr std::uint32_t kEnvelopeField = 301;
constexpr std::uint32_t kNameField = 401;
constexpr std::uint32_t kStartField = 402;
constexpr std::uint32_t kStopField = 403;
constexpr std::uint32_t kInPointField = 405;
constexpr std::uint32_t kOutPointField = 406;
constexpr std::uint32_t kPictureSlotField = 455;
constexpr std::uint32_t kPictureFileField = 456;
constexpr std::uint32_t kValueField = 457;
constexpr std::uint32_t kSoundFileField = 461;
constexpr std::uint32_t kSoundSlotField = 462;
constexpr std::uint32_t kLevelField = 465;
constexpr std::uint32_t kFlag0Field = 466;
constexpr std::uint32_t kFlag1Field = 467;

constexpr std::int32_t kMaxTime = 86'400'000;
constexpr std::int32_t kMaxLevel = 2048;
constexpr std::size_t kMaxNameLength = 128;
constexpr std::size_t kMinEnvelopePoints = 2;
constexpr std::size_t kMaxEnvelopePoints = 1000;  // exclusive
constexpr std::int32_t kShortestItem = 20;
constexpr std::int64_t kLevelScale = 262144;  // 512 × 512: channel and master level at unity
// A project file is a few kilobytes per item; anything this large is not one.
constexpr std::uintmax_t kMaxFileSize = 64u * 1024 * 1024;

// Any reason a file cannot be used ends the whole read.
struct Unusable {};

// A window on bytes that never reads past its end.
class Cursor {
 public:
  Cursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Remaining() const { return size_ - offset_; }
  bool AtEnd() const { return offset_ == size_; }

  std::uint32_t U32() {
    const std::uint8_t* b = Take(4);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

  // The next count bytes as a cursor of their own; this one moves past them.
  Cursor Sub(std::size_t count) {
    const std::uint8_t* start = Take(count);
    return Cursor(start, count);
  }

  // The bytes up to the first 0 byte (or all of them).
  std::string TextUpToZero() const {
    const std::uint8_t* begin = data_ + offset_;
    const std::uint8_t* end = std::find(begin, data_ + size_, std::uint8_t{0});
    return std::string(begin, end);
  }

 private:
  const std::uint8_t* Take(std::size_t count) {
    if (count > Remaining()) throw Unusable{};
    const std::uint8_t* at = data_ + offset_;
    offset_ += count;
    return at;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

struct ChunkHeader {
  std::uint32_t id = 0;
  std::size_t size = 0;
};

// A chunk's header and its size, which must fit what is left. A chunk of
// size 0 holds nothing and is skipped by the callers; each header still
// advances the reading by 8 bytes, so a damaged file ends.
ChunkHeader ReadChunkHeader(Cursor& cursor) {
  if (cursor.Remaining() < 8) throw Unusable{};
  ChunkHeader header;
  header.id = cursor.U32();
  const std::int32_t size = cursor.I32();
  if (size < 0 || static_cast<std::size_t>(size) > cursor.Remaining()) throw Unusable{};
  header.size = static_cast<std::size_t>(size);
  return header;
}

std::int32_t ReadFixedI32(Cursor& field, std::size_t size) {
  if (size != 4) throw Unusable{};
  return field.I32();
}

std::int32_t ReadRangedI32(Cursor& field, std::size_t size, std::int32_t low, std::int32_t high) {
  const std::int32_t value = ReadFixedI32(field, size);
  if (value < low || value > high) throw Unusable{};
  return value;
}

// The folder of the project file, up to and including its last separator.
std::string_view FolderOf(std::string_view tmlPath) {
  const std::size_t separator = tmlPath.find_last_of("/\\");
  return separator == std::string_view::npos ? std::string_view() : tmlPath.substr(0, separator + 1);
}

// Paths of the other editor are often Windows paths; only drive, share and
// root paths are taken as they stand, everything else lies below the
// project's folder.
std::optional<std::string> ReadClipPath(Cursor& field, std::size_t size, std::string_view folder) {
  if (size > kTmlMaxPathLength) throw Unusable{};
  const std::string stored = field.TextUpToZero();
  if (stored.empty()) return std::nullopt;
  std::string full = IsAbsoluteStoredPath(stored) ? stored : ResolveStoredPath(stored, folder);
  if (full.size() > kTmlMaxPathLength) full.resize(kTmlMaxPathLength);
  return full;
}

struct ItemReading {
  TmlItem item;
  std::vector<TmlEnvelopePoint> envelope;
};

void TakePictureFile(ItemReading& reading, std::string path) {
  TmlItem& item = reading.item;
  if (!item.filePath.empty() && !EqualsIgnoreCase(item.filePath, path)) item.soundFile = false;
  item.filePath = std::move(path);
  item.pictureFile = true;
}

// A sound file other than the item's file is dropped: the item has one file.
void TakeSoundFile(ItemReading& reading, std::string path) {
  TmlItem& item = reading.item;
  if (item.filePath.empty()) {
    item.filePath = std::move(path);
    item.soundFile = true;
  } else if (EqualsIgnoreCase(item.filePath, path)) {
    item.soundFile = true;
  }
}

void ReadEnvelope(ItemReading& reading, Cursor& field, std::size_t size) {
  if (size % 8 != 0) throw Unusable{};
  const std::size_t count = size / 8;
  if (count < kMinEnvelopePoints || count >= kMaxEnvelopePoints) return;
  reading.envelope.clear();
  reading.envelope.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    TmlEnvelopePoint point;
    point.time = field.I32();
    point.level = field.I32();
    reading.envelope.push_back(point);
  }
}

void ReadItemField(ItemReading& reading, std::uint32_t id, Cursor& field, std::size_t size,
                   std::string_view folder) {
  TmlItem& item = reading.item;
  switch (id) {
    case kEnvelopeField: ReadEnvelope(reading, field, size); break;
    case kNameField:
      if (size >= 1 && size <= kMaxNameLength) item.name = field.TextUpToZero();
      break;
    case kStartField: item.start = ReadRangedI32(field, size, 0, kMaxTime); break;
    case kStopField: item.stop = ReadRangedI32(field, size, 0, kMaxTime); break;
    case kInPointField: item.inPoint = ReadRangedI32(field, size, 0, kMaxTime); break;
    case kOutPointField: item.outPoint = ReadRangedI32(field, size, 0, kMaxTime); break;
    case kPictureSlotField: item.pictureSlot = ReadFixedI32(field, size); break;
    case kSoundSlotField: item.soundSlot = ReadFixedI32(field, size); break;
    case kPictureFileField:
      if (auto path = ReadClipPath(field, size, folder)) TakePictureFile(reading, std::move(*path));
      break;
    case kSoundFileField:
      if (auto path = ReadClipPath(field, size, folder)) TakeSoundFile(reading, std::move(*path));
      break;
    case kValueField: item.value457 = ReadFixedI32(field, size) * 0.001; break;
    case kLevelField: item.level = ReadRangedI32(field, size, 0, kMaxLevel); break;
    case kFlag0Field:
      if (ReadFixedI32(field, size) != 0) item.itemFlags |= 0x1;
      break;
    case kFlag1Field:
      if (ReadFixedI32(field, size) != 0) item.itemFlags |= 0x2;
      break;
    default: break;
  }
}

// Fades from the envelope's rise after the in point and its fall before the
// out point; the level from the envelope's plateau.
void ApplyEnvelope(TmlItem& item, const std::vector<TmlEnvelopePoint>& points) {
  const std::size_t n = points.size();
  std::size_t i = 0;
  while (i + 2 < n && points[i + 1].time <= item.inPoint) ++i;
  std::size_t j = n - 1;
  while (j > 0 && points[j - 1].time >= item.outPoint) --j;

  std::size_t in = i;
  for (; in + 1 < j; ++in) {
    if (points[in].level >= 1 && points[in + 1].level <= points[in].level) break;
  }
  std::size_t out = j;
  for (; out > i + 1; --out) {
    if (points[out].level >= 1 && points[out - 1].level <= points[out].level) break;
  }
  const std::int64_t fadeIn = static_cast<std::int64_t>(points[in].time) - item.inPoint;
  item.fadeIn = static_cast<std::int32_t>(std::clamp<std::int64_t>(fadeIn, 0, kMaxTime));
  const std::int64_t fadeOut = static_cast<std::int64_t>(item.outPoint) - points[out].time;
  item.fadeOut = static_cast<std::int32_t>(std::clamp<std::int64_t>(fadeOut, 0, kMaxTime));
  const std::int64_t plateau = std::max(points[in].level, points[out].level);
  item.level = plateau * item.level / kTmlDefaultLevel;
}

bool SlotInRange(std::int32_t slot) { return slot >= -1 && slot < kTmlSlotCount; }

void FinishItem(ItemReading& reading) {
  TmlItem& item = reading.item;
  if (!item.pictureFile) {
    item.pictureSlot = -1;
  } else if (item.pictureSlot < 0) {
    item.pictureSlot = 0;
  }
  if (!item.soundFile) {
    item.soundSlot = -1;
  } else if (item.soundSlot < 0) {
    item.soundSlot = 0;
  }
  item.outPoint = item.stop - item.start + item.inPoint;
  // A slot beyond the 32 of a side has no track and no channel level.
  if (item.stop - item.start < kShortestItem || !SlotInRange(item.pictureSlot) || !SlotInRange(item.soundSlot)) {
    item.pictureSlot = -1;
    item.soundSlot = -1;
  }
  if (item.soundSlot >= 0 && reading.envelope.size() >= kMinEnvelopePoints) ApplyEnvelope(item, reading.envelope);
  reading.envelope.clear();
}

TmlItem ReadItem(Cursor item, std::string_view folder) {
  ItemReading reading;
  while (!item.AtEnd()) {
    if (item.Remaining() < 8) throw Unusable{};
    const std::uint32_t id = item.U32();
    const std::int32_t size = item.I32();
    if (size < 0) throw Unusable{};
    Cursor field = item.Sub(static_cast<std::size_t>(size));
    ReadItemField(reading, id, field, static_cast<std::size_t>(size), folder);
  }
  FinishItem(reading);
  return std::move(reading.item);
}

// Start order, an item placed before the earlier ones of the same start.
// Sorted once the chunk is read: inserting each item into place cost time
// quadratic in the item count, hours for a large damaged file.
void PutInStartOrder(std::vector<TmlItem>& items) {
  std::reverse(items.begin(), items.end());
  std::stable_sort(items.begin(), items.end(),
                   [](const TmlItem& a, const TmlItem& b) { return a.start < b.start; });
}

void ReadProjectChunk(Cursor project, std::string_view folder, TmlProject& result) {
  while (!project.AtEnd()) {
    const ChunkHeader header = ReadChunkHeader(project);
    if (header.size == 0) continue;
    Cursor chunk = project.Sub(header.size);
    switch (header.id) {
      case kChannelLevelChunk: {
        const std::size_t count = std::min(header.size, kChannelLevelBytes) / 4;
        for (std::size_t i = 0; i < count; ++i) result.channelLevels[i] = chunk.U32();
        break;
      }
      case kMasterLevelChunk:
        if (header.size == 4) result.masterLevel = chunk.U32();
        break;
      case kItemChunk: result.items.push_back(ReadItem(chunk, folder)); break;
      default: break;
    }
  }
  PutInStartOrder(result.items);
}

// Channel level × item level × master level, each at unity at 512. The
// product of two unbounded 32-bit levels needs more than 64 bits.
void ApplyChannelLevels(TmlProject& project) {
  for (TmlItem& item : project.items) {
    if (item.soundSlot < 0) {
      item.level = 0;
      continue;
    }
    const __int128 product = static_cast<__int128>(project.channelLevels[static_cast<std::size_t>(item.soundSlot)]) *
                             item.level * project.masterLevel / kLevelScale;
    constexpr __int128 kHighest = std::numeric_limits<std::int32_t>::max();
    constexpr __int128 kLowest = std::numeric_limits<std::int32_t>::min();
    item.level = static_cast<std::int64_t>(std::clamp(product, kLowest, kHighest));
  }
}

}  // namespace

TmlReadResult ReadTimelineProjectBytes(const std::uint8_t* data, std::size_t size, std::string_view tmlPath) {
  TmlReadResult result;
  try {
    if (size < kHeaderSize || std::memcmp(data, kHeader, kHeaderSize) != 0) return result;
    Cursor file(data + kHeaderSize, size - kHeaderSize);
    for (;;) {
      const ChunkHeader header = ReadChunkHeader(file);
      Cursor chunk = file.Sub(header.size);
      if (header.id != kProjectChunk || header.size == 0) continue;
      ReadProjectChunk(chunk, FolderOf(tmlPath), result.project);
      break;
    }
  } catch (const Unusable&) {
    result.project = TmlProject{};
    return result;
  }
  ApplyChannelLevels(result.project);
  result.status = TmlStatus::Ok;
  return result;
}

TmlReadResult ReadTimelineProject(const std::string& path) {
  TmlReadResult result;
  // Only a regular file is opened (a pipe would block, a folder would fail
  // half-way); a file over the size limit is unusable before it is read.
  std::string reason;
  std::optional<RegularFile> file = RegularFile::Open(path, reason);
  if (!file) {
    result.status = TmlStatus::CannotOpen;
    result.reason = reason;
    return result;
  }
  if (file->Size() > kMaxFileSize) {
    result.reason = SystemReason(EFBIG);
    return result;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file->Size()));
  if (!file->Read(bytes.data(), bytes.size(), reason)) {
    result.status = TmlStatus::CannotOpen;
    result.reason = reason;
    return result;
  }
  return ReadTimelineProjectBytes(bytes, path);
}

}  // namespace vantorelle
