#include "model/time_edit.h"

#include <array>

namespace vantorelle {
namespace {

// Digits below hours 24 that are cleared when the hours become 24, so that
// 24:00:00:000 is the largest time typed with those hours.
constexpr std::array<std::int32_t, 7> kBelowHours = {3, 4, 6, 7, 9, 10, 11};

// The largest digit each place accepts from the keyboard.
char LimitDigit(std::int32_t position, char digit) {
  switch (position) {
    case 0:
      return digit > '2' ? '2' : digit;
    case 1:
      return digit > '4' ? '4' : digit;
    case 3:
    case 6:
      return digit > '5' ? '5' : digit;
    default:
      return digit;
  }
}

}  // namespace

TimeEdit::TimeEdit(TimeMs maximum) {
  if (!(maximum >= 0.0)) maximum = 0.0;  // also catches NaN
  if (maximum > kLargestShownValue) maximum = kLargestShownValue;
  maximum_ = maximum;
  Show(0.0);
}

bool TimeEdit::IsSeparator(std::int32_t position) {
  return position == 2 || position == 5 || position == 8;
}

TimeMs TimeEdit::PlaceValue(std::int32_t position) {
  switch (position) {
    case 0: return 36'000'000.0;
    case 1: return 3'600'000.0;
    case 3: return 600'000.0;
    case 4: return 60'000.0;
    case 6: return 10'000.0;
    case 7: return 1'000.0;
    case 9: return 100.0;
    case 10: return 10.0;
    case 11: return 1.0;
    default: return 0.0;
  }
}

void TimeEdit::Show(TimeMs value) {
  if (!(value >= 0.0)) value = 0.0;  // a negative or NaN value has no text form
  text_ = FormatTimeFull(value);
  // Hours above 99 would need more than 12 characters; such a value is shown
  // as the maximum instead (which the constructor keeps within 12 characters).
  if (text_.size() != static_cast<std::size_t>(kTextLength)) text_ = FormatTimeFull(maximum_);
}

bool TimeEdit::SetValue(TimeMs value) {
  const std::string before = text_;
  Show(value);
  return text_ != before;
}

bool TimeEdit::SetText(const std::string& text) { return SetValue(ParseTimeText(text)); }

TimeMs TimeEdit::Value() const { return ParseTimeText(text_); }

void TimeEdit::MoveRight() {
  std::int32_t next = caret_ + 1;
  if (IsSeparator(next)) ++next;
  if (next <= kLastPosition) caret_ = next;
}

void TimeEdit::MoveLeft() {
  std::int32_t next = caret_ - 1;
  if (IsSeparator(next)) --next;
  if (next >= 0) caret_ = next;
}

void TimeEdit::FocusIn() { caret_ = kLastPosition; }

void TimeEdit::Click(std::int32_t charIndex) {
  if (charIndex < 0) charIndex = 0;
  if (charIndex > kLastPosition) charIndex = kLastPosition;
  if (IsSeparator(charIndex)) ++charIndex;
  caret_ = charIndex;
}

bool TimeEdit::ReplaceDigit(char digit) {
  const std::string before = text_;
  text_[static_cast<std::size_t>(caret_)] = digit;
  return text_ != before;
}

bool TimeEdit::TypeCharacter(char c) {
  if (c < '0' || c > '9') return false;
  const std::string before = text_;
  const char digit = LimitDigit(caret_, c);
  const bool hoursBecome24 = (caret_ == 0 && digit == '2' && text_[1] == '4') ||
                             (caret_ == 1 && digit == '4' && text_[0] == '2');
  ReplaceDigit(digit);
  if (hoursBecome24) {
    for (const std::int32_t position : kBelowHours) text_[static_cast<std::size_t>(position)] = '0';
  }
  MoveRight();
  return text_ != before;
}

bool TimeEdit::Backspace() {
  const bool changed = ReplaceDigit('0');
  MoveLeft();
  return changed;
}

bool TimeEdit::Delete() {
  const bool changed = ReplaceDigit('0');
  MoveRight();
  return changed;
}

bool TimeEdit::StepUp() {
  TimeMs value = Value() + PlaceValue(caret_);
  if (value >= maximum_) value = 0.0;
  return SetValue(value);
}

bool TimeEdit::StepDown() {
  TimeMs value = Value() - PlaceValue(caret_);
  if (value < 0.0) value = maximum_;
  return SetValue(value);
}

void TimeEdit::MousePress(MouseButton button, std::int32_t charIndex, std::int32_t y) {
  if (button != MouseButton::Left) return;
  Click(charIndex);
  dragging_ = true;
  dragReferenceY_ = y;
}

bool TimeEdit::MouseMove(std::int32_t y) {
  if (!dragging_) return false;
  const std::string before = text_;
  // Each step moves the reference by one step's distance, so the remainder
  // of a move carries over to the next one. 64-bit so far-apart coordinates
  // cannot overflow.
  const std::int64_t travel = static_cast<std::int64_t>(y) - dragReferenceY_;
  const std::int64_t steps = travel / kDragStepPixels;  // negative: upward
  for (std::int64_t i = 0; i < -steps; ++i) StepUp();
  for (std::int64_t i = 0; i < steps; ++i) StepDown();
  dragReferenceY_ += steps * kDragStepPixels;
  return text_ != before;
}

void TimeEdit::MouseRelease() { dragging_ = false; }

// Right clicks and double clicks are deliberately inert: they neither move
// the caret nor start a drag.
void TimeEdit::RightClick(std::int32_t) {}
void TimeEdit::DoubleClick(std::int32_t) {}

}  // namespace vantorelle
