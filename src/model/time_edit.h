// The typed time field: a 12-character "HH:MM:SS:mmm" text edited one digit
// at a time. This model holds all of the field's behaviour; the widget that
// wraps it only forwards key presses, clicks, mouse moves and focus, and
// repaints from Text() and the one-character selection.
#pragma once

#include <cstdint>
#include <string>

#include "model/time_base.h"

namespace vantorelle {

class TimeEdit {
 public:
  static constexpr std::int32_t kTextLength = 12;
  static constexpr std::int32_t kLastPosition = kTextLength - 1;
  // Vertical drag distance, in pixels, for one step up or down.
  static constexpr std::int32_t kDragStepPixels = 8;
  // Largest value the 12 characters can show (99:59:59:999).
  static constexpr TimeMs kLargestShownValue = 359'999'999.0;

  enum class MouseButton : std::int32_t { Left, Right, Middle };

  // A maximum the text cannot show, or a negative one, is pulled into
  // [0, kLargestShownValue].
  explicit TimeEdit(TimeMs maximum = TimeEditMaximum);

  // Every operation that can alter the text answers true exactly when the
  // text changed, which is the widget's cue to repaint and tell its owner.

  // The owner's side. Values above the maximum are kept as given, as long as
  // they fit the 12 characters.
  bool SetValue(TimeMs value);
  // Any text, short or odd, is read with ParseTimeText and rewritten in full.
  bool SetText(const std::string& text);
  TimeMs Value() const;
  const std::string& Text() const { return text_; }
  TimeMs Maximum() const { return maximum_; }

  // The caret is always on a digit; it shows as a one-character selection.
  std::int32_t Caret() const { return caret_; }
  std::int32_t SelectionStart() const { return caret_; }
  std::int32_t SelectionLength() const { return 1; }

  void MoveRight();
  void MoveLeft();
  void FocusIn();
  // A click at a character index: a separator selects the digit after it,
  // anything past the end the last digit, anything before the start the first.
  void Click(std::int32_t charIndex);

  // A digit is limited to what its place allows, replaces the digit under the
  // caret and moves the caret right. Anything other than a digit is ignored.
  bool TypeCharacter(char c);
  bool Backspace();  // zero under the caret, then move left
  bool Delete();     // zero under the caret, then move right
  bool StepUp();     // add the caret digit's place value, wrapping to 0
  bool StepDown();   // subtract it, wrapping to the maximum

  // Mouse drags: a left press places the caret and starts the drag at y;
  // every full kDragStepPixels of travel while held is one step (upward,
  // toward smaller y, adds). Other buttons and double clicks do nothing.
  void MousePress(MouseButton button, std::int32_t charIndex, std::int32_t y);
  bool MouseMove(std::int32_t y);
  void MouseRelease();
  void RightClick(std::int32_t charIndex);
  void DoubleClick(std::int32_t charIndex);
  bool Dragging() const { return dragging_; }

  // Place value of the digit at a position; 0 at a separator or outside.
  static TimeMs PlaceValue(std::int32_t position);
  static bool IsSeparator(std::int32_t position);

 private:
  void Show(TimeMs value);
  bool ReplaceDigit(char digit);

  TimeMs maximum_;
  std::string text_;
  std::int32_t caret_ = kLastPosition;
  bool dragging_ = false;
  std::int64_t dragReferenceY_ = 0;
};

}  // namespace vantorelle
