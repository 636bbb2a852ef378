#include "support/tml_builder.h"

namespace vantorelle::testing {
namespace {

void Append(TmlBytes& to, const TmlBytes& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

TmlBytes U32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

}  // namespace

TmlBytes TmlChunkWithSize(std::uint32_t id, std::int32_t size, const TmlBytes& data) {
  TmlBytes bytes = U32(id);
  Append(bytes, U32(static_cast<std::uint32_t>(size)));
  Append(bytes, data);
  return bytes;
}

TmlBytes TmlChunk(std::uint32_t id, const TmlBytes& data) {
  return TmlChunkWithSize(id, static_cast<std::int32_t>(data.size()), data);
}

TmlBytes TmlI32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }

TmlBytes TmlText(const std::string& text, bool terminated) {
  TmlBytes bytes(text.begin(), text.end());
  if (terminated) bytes.push_back(0);
  return bytes;
}

TmlItemBuilder& TmlItemBuilder::Field(std::uint32_t id, const TmlBytes& data) {
  Append(data_, TmlChunk(id, data));
  return *this;
}

TmlItemBuilder& TmlItemBuilder::Envelope(const std::vector<std::pair<std::int32_t, std::int32_t>>& points) {
  TmlBytes data;
  for (const auto& [time, level] : points) {
    Append(data, TmlI32(time));
    Append(data, TmlI32(level));
  }
  return Field(301, data);
}

TmlItemBuilder& TmlItemBuilder::Movie(const std::string& path, std::int32_t start, std::int32_t stop,
                                      std::int32_t pictureSlot, std::int32_t soundSlot) {
  Start(start).Stop(stop);
  if (pictureSlot >= 0) PictureFile(path).PictureSlot(pictureSlot);
  if (soundSlot >= 0) SoundFile(path).SoundSlot(soundSlot);
  return *this;
}

TmlBuilder& TmlBuilder::Header(std::string bytes) {
  header_ = std::move(bytes);
  return *this;
}

TmlBuilder& TmlBuilder::ChunkBefore(std::uint32_t id, const TmlBytes& data) {
  Append(before_, TmlChunk(id, data));
  return *this;
}

TmlBuilder& TmlBuilder::ChunkAfter(std::uint32_t id, const TmlBytes& data) {
  Append(after_, TmlChunk(id, data));
  return *this;
}

TmlBuilder& TmlBuilder::SubChunk(std::uint32_t id, const TmlBytes& data) {
  Append(project_, TmlChunk(id, data));
  return *this;
}

TmlBuilder& TmlBuilder::RawSubChunkBytes(const TmlBytes& bytes) {
  Append(project_, bytes);
  return *this;
}

TmlBuilder& TmlBuilder::ChannelLevels(const std::vector<std::uint32_t>& levels) {
  TmlBytes data;
  for (const std::uint32_t level : levels) Append(data, U32(level));
  return SubChunk(124, data);
}

TmlBuilder& TmlBuilder::MasterLevel(std::uint32_t level) { return SubChunk(128, U32(level)); }

TmlBytes TmlBuilder::Bytes() const {
  TmlBytes bytes(header_.begin(), header_.end());
  Append(bytes, before_);
  Append(bytes, TmlChunk(100, project_));
  Append(bytes, after_);
  return bytes;
}

std::string TmlBuilder::Text() const {
  const TmlBytes bytes = Bytes();
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace vantorelle::testing
