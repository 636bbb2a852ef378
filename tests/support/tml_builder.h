// Writes Velmo timeline projects (*.tml) field by field, so tests can make
// sound files and every kind of broken one: wrong headers, lying sizes,
// fields of the wrong size, values out of range.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantorelle::testing {

using TmlBytes = std::vector<std::uint8_t>;

// u32 identifier, i32 size, data. The size is the data's unless given.
TmlBytes TmlChunk(std::uint32_t id, const TmlBytes& data);
TmlBytes TmlChunkWithSize(std::uint32_t id, std::int32_t size, const TmlBytes& data);
TmlBytes TmlI32(std::int32_t value);
// The text's bytes, with a 0 byte after them when terminated.
TmlBytes TmlText(const std::string& text, bool terminated = true);

// The fields of one clip item (chunk 400), in the order they are added.
class TmlItemBuilder {
 public:
  TmlItemBuilder& Field(std::uint32_t id, const TmlBytes& data);
  TmlItemBuilder& I32Field(std::uint32_t id, std::int32_t value) { return Field(id, TmlI32(value)); }

  TmlItemBuilder& Name(const std::string& name) { return Field(401, TmlText(name)); }
  TmlItemBuilder& Start(std::int32_t ms) { return I32Field(402, ms); }
  TmlItemBuilder& Stop(std::int32_t ms) { return I32Field(403, ms); }
  TmlItemBuilder& InPoint(std::int32_t ms) { return I32Field(405, ms); }
  TmlItemBuilder& OutPoint(std::int32_t ms) { return I32Field(406, ms); }
  TmlItemBuilder& PictureSlot(std::int32_t slot) { return I32Field(455, slot); }
  TmlItemBuilder& PictureFile(const std::string& path) { return Field(456, TmlText(path)); }
  TmlItemBuilder& SoundFile(const std::string& path) { return Field(461, TmlText(path)); }
  TmlItemBuilder& SoundSlot(std::int32_t slot) { return I32Field(462, slot); }
  TmlItemBuilder& Level(std::int32_t level) { return I32Field(465, level); }
  // Points of (time ms, level).
  TmlItemBuilder& Envelope(const std::vector<std::pair<std::int32_t, std::int32_t>>& points);

  // Start, stop, both files and both slots of a clip of one movie.
  TmlItemBuilder& Movie(const std::string& path, std::int32_t start, std::int32_t stop, std::int32_t pictureSlot,
                        std::int32_t soundSlot);

  const TmlBytes& Data() const { return data_; }

 private:
  TmlBytes data_;
};

// A whole file: header, chunks before the project chunk, the project chunk
// (100) with its sub-chunks, chunks after it.
class TmlBuilder {
 public:
  TmlBuilder& Header(std::string bytes);  // the 34 header bytes, or anything else
  TmlBuilder& ChunkBefore(std::uint32_t id, const TmlBytes& data);
  TmlBuilder& ChunkAfter(std::uint32_t id, const TmlBytes& data);
  TmlBuilder& SubChunk(std::uint32_t id, const TmlBytes& data);
  TmlBuilder& RawSubChunkBytes(const TmlBytes& bytes);
  TmlBuilder& ChannelLevels(const std::vector<std::uint32_t>& levels);
  TmlBuilder& MasterLevel(std::uint32_t level);
  TmlBuilder& Item(const TmlItemBuilder& item) { return SubChunk(400, item.Data()); }

  TmlBytes Bytes() const;
  std::string Text() const;  // the same bytes, for TempDir::WriteFile

 private:
  std::string header_ = std::string("TimeLine Project (c) Firm Quorvan") + '\0';
  TmlBytes before_;
  TmlBytes project_;
  TmlBytes after_;
};

}  // namespace vantorelle::testing
