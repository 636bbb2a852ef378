#include "titles/title_track_editor.h"

#include <algorithm>

#include "titles/title_speed.h"
#include "titles/title_values.h"

namespace vantorelle {

namespace {

bool InList(std::int32_t value, std::size_t size) {
  return value >= 0 && static_cast<std::size_t>(value) < size;
}

}  // namespace

TitleTrackEditor::TitleTrackEditor(const TitleTrackRecord& record, Purpose purpose)
    : name(record.name),
      heightChoice(TrackHeightChoice(record.trackHeight)),
      fadeIn(record.fadeIn),
      fadeOut(record.fadeOut),
      record_(record),
      purpose_(purpose),
      speedText_(FormatTitleSpeed(record.maxSpeed)),
      speedSteps_(NormaliseTitleSpeed(record.maxSpeed).steps) {}

const char* TitleTrackEditor::Caption() const { return purpose_ == Purpose::Add ? kAddCaption : kChangeCaption; }

bool TitleTrackEditor::Movable() const { return record_.IsMovable(); }

std::int32_t TitleTrackEditor::TypeIndex() const { return TitleTypeIndex(record_.type); }

bool TitleTrackEditor::SetTypeIndex(std::int32_t index) {
  if (!InList(index, kTitleTypeNames.size())) return false;
  record_.type = TitleTypeOfIndex(index);
  return true;
}

TitleTrackEditor::ChoiceField TitleTrackEditor::Direction() const {
  if (!Movable()) return {};
  return {record_.direction, true};
}

bool TitleTrackEditor::SetDirection(std::int32_t direction) {
  if (!Movable() || !InList(direction, kTitleDirectionNames.size())) return false;
  record_.direction = direction;
  return true;
}

TitleTrackEditor::ChoiceField TitleTrackEditor::Precision() const {
  if (!Movable()) return {};
  return {record_.precision, true};
}

bool TitleTrackEditor::SetPrecision(std::int32_t precision) {
  if (!Movable() || !InList(precision, kTitlePrecisionNames.size())) return false;
  record_.precision = precision;
  return true;
}

TitleTrackEditor::TextField TitleTrackEditor::Speed() const {
  if (!Movable()) return {};
  return {speedText_, true};
}

bool TitleTrackEditor::TypeSpeed(const std::string& text) {
  if (!Movable()) return false;
  speedText_ = text;
  return true;
}

void TitleTrackEditor::LeaveSpeedField() {
  if (!Movable()) return;
  const NormalisedSpeed normalised = NormaliseTitleSpeed(ParseTitleSpeed(speedText_));
  speedText_ = normalised.text;
  speedSteps_ = normalised.steps;
}

bool TitleTrackEditor::SpinSpeed(std::int32_t hundredths) {
  if (!Movable()) return false;
  const std::int64_t wanted = static_cast<std::int64_t>(speedSteps_) + hundredths;
  const NormalisedSpeed moved = SpeedOfSteps(
      static_cast<std::int32_t>(std::clamp<std::int64_t>(wanted, kMinSpeedSteps, kMaxSpeedSteps)));
  speedText_ = moved.text;
  speedSteps_ = moved.steps;
  return true;
}

TitleTrackEditor::TextField TitleTrackEditor::SecondsPerScreenField() const {
  if (!Movable()) return {};
  return {SecondsPerScreenText(record_.direction, ParseTitleSpeed(speedText_)), false};
}

TitleTrackRecord TitleTrackEditor::Result() const {
  TitleTrackRecord result = record_;
  result.name = name;
  result.trackHeight = TrackHeightOfChoice(heightChoice);
  result.fadeIn = std::max(fadeIn, 0.0);
  result.fadeOut = std::max(fadeOut, 0.0);
  if (Movable()) result.maxSpeed = NormaliseTitleSpeed(ParseTitleSpeed(speedText_)).speed;
  return result;
}

}  // namespace vantorelle
