// The value lists both title track dialogs show, and the conversions between
// their list indexes and the values a track stores.
#pragma once

#include <array>
#include <cstdint>

#include "model/track.h"

namespace vantorelle {

// How a movable title travels through its region.
enum class TitleDirection : std::int32_t { ToLeft = 0, ToRight = 1, ToUp = 2, ToDown = 3 };

inline constexpr std::array<const char*, 2> kTitleTypeNames{"Movable", "Slide"};
inline constexpr std::array<const char*, 4> kTitleDirectionNames{"To Left", "To Right", "To Up", "To Down"};
inline constexpr std::array<const char*, 4> kTitlePrecisionNames{"Lowest", "Low", "High", "Highest"};
// The "Track height:" choices, small to large.
inline constexpr std::array<std::int32_t, 3> kTitleTrackHeights{24, 48, 96};

inline constexpr std::int32_t kMovableTypeIndex = 0;
inline constexpr std::int32_t kSlideTypeIndex = 1;

// Index 0 is movable, anything else slide.
TrackType TitleTypeOfIndex(std::int32_t index);
// The list index of a title type word; anything not movable is slide.
std::int32_t TitleTypeIndex(TrackType type);

// The direction's name, or "" for a value outside the four.
const char* TitleDirectionName(std::int32_t direction);
// Directions 0 and 1 travel across, 2 and 3 up or down; others not at all.
bool TravelsHorizontally(std::int32_t direction);
bool TravelsVertically(std::int32_t direction);

// A height that is not one of the three choices is shown as the medium one.
std::int32_t TrackHeightChoice(std::int32_t height);
// Choices outside the three give the medium height.
std::int32_t TrackHeightOfChoice(std::int32_t choice);

}  // namespace vantorelle
