#include "titles/title_values.h"

namespace vantorelle {

TrackType TitleTypeOfIndex(std::int32_t index) {
  return index == kMovableTypeIndex ? TrackTypes::TitleMovable : TrackTypes::TitleSlide;
}

std::int32_t TitleTypeIndex(TrackType type) {
  return (type & 0xFF) == TrackKind::TitleMovable ? kMovableTypeIndex : kSlideTypeIndex;
}

const char* TitleDirectionName(std::int32_t direction) {
  if (direction < 0 || direction >= static_cast<std::int32_t>(kTitleDirectionNames.size())) return "";
  return kTitleDirectionNames[static_cast<std::size_t>(direction)];
}

bool TravelsHorizontally(std::int32_t direction) {
  return direction == static_cast<std::int32_t>(TitleDirection::ToLeft) ||
         direction == static_cast<std::int32_t>(TitleDirection::ToRight);
}

bool TravelsVertically(std::int32_t direction) {
  return direction == static_cast<std::int32_t>(TitleDirection::ToUp) ||
         direction == static_cast<std::int32_t>(TitleDirection::ToDown);
}

std::int32_t TrackHeightChoice(std::int32_t height) {
  for (std::size_t i = 0; i < kTitleTrackHeights.size(); ++i) {
    if (kTitleTrackHeights[i] == height) return static_cast<std::int32_t>(i);
  }
  return 1;
}

std::int32_t TrackHeightOfChoice(std::int32_t choice) {
  if (choice < 0 || choice >= static_cast<std::int32_t>(kTitleTrackHeights.size())) return kTitleTrackHeights[1];
  return kTitleTrackHeights[static_cast<std::size_t>(choice)];
}

}  // namespace vantorelle
