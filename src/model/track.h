// A track: one lane of the time line. It has a kind, owns its clips in start
// order, and carries the settings its clips may borrow (fades, level) and,
// for title tracks, the title region and motion.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/film.h"

namespace vantorelle {

using TrackType = std::uint32_t;

namespace TrackKind {
inline constexpr TrackType Video = 0x01;
inline constexpr TrackType VideoAlfa = 0x02;
inline constexpr TrackType VideoB = 0x04;
inline constexpr TrackType Audio = 0x08;
inline constexpr TrackType TitleMovable = 0x10;
inline constexpr TrackType TitleSlide = 0x20;
inline constexpr TrackType FadingKinds = Audio | TitleSlide;  // kinds whose clips fade
}  // namespace TrackKind

namespace TrackGroup {
inline constexpr TrackType Video = 0x10000;
inline constexpr TrackType Audio = 0x20000;
inline constexpr TrackType Title = 0x40000;
inline constexpr TrackType Mask = 0xFF0000;
}  // namespace TrackGroup

// The type words: a kind in the low byte with its group.
namespace TrackTypes {
inline constexpr TrackType Video = TrackGroup::Video | TrackKind::Video;
inline constexpr TrackType VideoAlfa = TrackGroup::Video | TrackKind::VideoAlfa;
inline constexpr TrackType VideoB = TrackGroup::Video | TrackKind::VideoB;
inline constexpr TrackType Audio = TrackGroup::Audio | TrackKind::Audio;
inline constexpr TrackType TitleMovable = TrackGroup::Title | TrackKind::TitleMovable;
inline constexpr TrackType TitleSlide = TrackGroup::Title | TrackKind::TitleSlide;
}  // namespace TrackTypes

using ColourRefs = std::array<std::uint32_t, 4>;  // 0x00BBGGRR each

enum class PlayState : std::int32_t { Normal = 1, Solo = 2, Mute = 3 };

// The name stem of a kind ("Video track number", ...), numbered "%s %d".
const char* TrackNameStem(TrackType type);

// The program-wide clip lengths for sources that have none of their own.
struct DefaultClipDurations {
  TimeMs liveDuration = 15000.0;
  TimeMs stillImageDuration = 5000.0;
  TimeMs slideShowDuration = 10000.0;
};

class CTrack {
 public:
  CTrack(TrackType type, std::int32_t height);
  ~CTrack() = default;
  CTrack(const CTrack&) = delete;
  CTrack& operator=(const CTrack&) = delete;

  // Every setting and a copy of every clip, owned by the new track. The
  // copies are not linked: whoever copies a whole track list links them.
  std::unique_ptr<CTrack> Copy() const;

  TrackType Kind() const { return type & 0xFF; }
  TrackType Group() const { return type & TrackGroup::Mask; }
  const char* GroupName() const;

  bool Accepts(SourceFlagBits clipFlags) const;
  // Clips that merely touch do not overlap; the clip itself is not skipped.
  bool Overlaps(const CFilm& clip) const;
  // Before the first clip that starts at or after the new one. Takes
  // ownership and makes this track the clip's owner.
  CFilm& InsertInOrder(std::unique_ptr<CFilm> clip);
  // The clip's position in the array, or -1.
  int IndexOf(const CFilm& clip) const;
  // Takes a clip off the track and hands it back.
  std::unique_ptr<CFilm> Remove(const CFilm& clip);

  // The length a clip of the source gets when dropped here, on the frame grid.
  TimeMs DefaultClipDuration(const CSrc& source, const DefaultClipDurations& durations) const;
  bool IsPlayed(bool soloPresent) const;

  // Movable title tracks: the region's extent along the motion (pixels), the
  // time one pixel of travel takes, and the time a title needs to cross the
  // region. Other tracks answer 0, -1 and -1. A stored max speed of 0 is
  // raised to 0.01 here.
  std::int32_t TravelSize() const;
  TimeMs MillisecondsPerPixel();
  TimeMs LeadIn();

  // Fields kept in project files, in their order there.
  TrackType type;
  std::int32_t height;
  PlayState playState = PlayState::Normal;
  std::string name;
  std::vector<std::unique_ptr<CFilm>> clips;  // ordered by start
  std::int32_t shown = 1;
  std::int32_t direction = 0;   // movable titles
  std::int32_t precision = 0;   // movable titles
  std::int32_t regionLeft = 0;
  std::int32_t regionTop = 0;
  std::int32_t regionHeight = 0;
  std::int32_t regionWidth = 0;
  double maxSpeed = 0.0;        // movable titles: pixels per field
  std::int32_t fileIndex = -1;  // scratch while a project file is written or read
  TimeMs fadeIn = 0.0;
  TimeMs fadeOut = 0.0;
  double volume = 1.0;

  // Set by the track area on each redraw.
  std::int32_t top = 0;
  std::int32_t bottom = 0;
  // The outline a drag draws on this track.
  struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
  };
  std::int32_t outlineShown = 0;
  Point outline[4];
  // The header's solo and mute buttons and the frame picture sizes.
  std::int32_t headerButtonWidth = 30;
  std::int32_t headerButtonHeight = 12;
  ColourRefs headerButtonColours{0xFFA8A8, 0xFF0000, 0x8080FF, 0x0000FF};
  static constexpr std::int32_t kThumbnailWidth = 64;
  static constexpr std::int32_t kThumbnailHeight = 48;
  static constexpr std::int32_t kSmallThumbnailWidth = 32;
  static constexpr std::int32_t kSmallThumbnailHeight = 24;
};

}  // namespace vantorelle
