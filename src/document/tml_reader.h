// Reading a timeline project of the sibling Velmo editor (*.tml): the header,
// the chunk walk down to the project chunk, the channel and master levels and
// the clip items, each finished into the times, slots, fades and level that
// the import turns into clips. The bytes come from another program and are
// treated as untrusted: every length is checked against what is left.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantorelle {

namespace TmlStatus {
inline constexpr std::uint32_t Ok = 0;
inline constexpr std::uint32_t CannotOpen = 0x8007006E;
inline constexpr std::uint32_t Unusable = 0x8007000B;
}  // namespace TmlStatus

// Slot numbers 0 … 31 on each side (picture tracks, sound channels).
inline constexpr int kTmlSlotCount = 32;
inline constexpr std::int32_t kTmlDefaultLevel = 512;
inline constexpr std::size_t kTmlMaxPathLength = 260;

struct TmlEnvelopePoint {
  std::int32_t time = 0;  // ms in the file
  std::int32_t level = 0;
};

// One clip item as the import sees it once its chunk has been read.
struct TmlItem {
  std::string filePath;  // full, at most kTmlMaxPathLength characters
  std::string name;      // at most 128 characters
  std::int32_t start = 0;
  std::int32_t stop = 0;
  std::int32_t inPoint = 0;
  std::int32_t outPoint = 0;  // stop − start + in point
  std::int32_t pictureSlot = -1;
  std::int32_t soundSlot = -1;
  // While reading the item's own level scaled by its envelope; once the
  // whole file is read, also by its channel's and the master level. 0
  // without a sound slot.
  std::int64_t level = kTmlDefaultLevel;
  std::int32_t fadeIn = 0;
  std::int32_t fadeOut = 0;
  double value457 = 0.0;       // kept, unused by the import
  std::uint32_t itemFlags = 0;  // bits 0 and 1 from fields 466 and 467; unused by the import
  bool pictureFile = false;
  bool soundFile = false;

  // Items of neither side (too short, no file, a slot out of range) make no clips.
  bool Usable() const { return pictureSlot != -1 || soundSlot != -1; }
};

struct TmlProject {
  std::array<std::uint32_t, kTmlSlotCount> channelLevels = DefaultChannelLevels();
  std::uint32_t masterLevel = kTmlDefaultLevel;
  std::vector<TmlItem> items;  // in start order

  static std::array<std::uint32_t, kTmlSlotCount> DefaultChannelLevels() {
    std::array<std::uint32_t, kTmlSlotCount> levels{};
    levels.fill(kTmlDefaultLevel);
    return levels;
  }
};

struct TmlReadResult {
  std::uint32_t status = TmlStatus::Unusable;
  TmlProject project;  // empty unless status is Ok
  std::string reason;  // the system's reason when the file could not be read
};

// Relative clip paths are taken below the folder of tmlPath.
TmlReadResult ReadTimelineProjectBytes(const std::uint8_t* data, std::size_t size, std::string_view tmlPath);
inline TmlReadResult ReadTimelineProjectBytes(const std::vector<std::uint8_t>& bytes, std::string_view tmlPath) {
  return ReadTimelineProjectBytes(bytes.data(), bytes.size(), tmlPath);
}
// CannotOpen when the file cannot be read at all.
TmlReadResult ReadTimelineProject(const std::string& path);

}  // namespace vantorelle
