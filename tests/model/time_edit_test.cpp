#include "model/time_edit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace vantorelle {
namespace {

using Button = TimeEdit::MouseButton;

// A field holding text with the caret put on position (through a click, as
// the user would).
TimeEdit FieldWith(const std::string& text, std::int32_t position) {
  TimeEdit edit;
  edit.SetText(text);
  edit.Click(position);
  return edit;
}

TEST(TimeEdit, OwnerValuesAlwaysLeaveAFullTwelveCharacterText) {
  TimeEdit edit;
  EXPECT_EQ(edit.Text(), "00:00:00:000");
  EXPECT_EQ(edit.Maximum(), TimeEditMaximum);

  EXPECT_TRUE(edit.SetValue(3'723'004.0));
  EXPECT_EQ(edit.Text(), "01:02:03:004");
  EXPECT_EQ(edit.Value(), 3'723'004.0);
  EXPECT_FALSE(edit.SetValue(3'723'004.0));  // same text: no change reported

  // Short and odd texts are read by ParseTimeText and written out in full.
  EXPECT_TRUE(edit.SetText("5"));
  EXPECT_EQ(edit.Text(), "00:00:00:005");
  edit.SetText("ab:cd");
  EXPECT_EQ(edit.Text(), "00:00:00:000");
  edit.SetText("12:34:56:789 and more");
  EXPECT_EQ(edit.Text(), "12:34:56:789");

  // Above the maximum but within two hour digits: kept as given.
  edit.SetValue(TimeEditMaximum + 1.0);
  EXPECT_EQ(edit.Text(), "27:46:40:001");
  edit.SetText("99:59:59:999");
  EXPECT_EQ(edit.Text(), "99:59:59:999");
  EXPECT_EQ(edit.Value(), TimeEdit::kLargestShownValue);

  // Hours above 99 do not fit: the maximum is shown instead.
  edit.SetValue(360'000'000.0);
  EXPECT_EQ(edit.Text(), "27:46:40:000");
  edit.SetValue(std::numeric_limits<double>::infinity());
  EXPECT_EQ(edit.Text().size(), 12u);

  // Values with no text form fall back to zero.
  edit.SetValue(-1.0);
  EXPECT_EQ(edit.Text(), "00:00:00:000");
  edit.SetValue(5.0);
  edit.SetValue(std::nan(""));
  EXPECT_EQ(edit.Text(), "00:00:00:000");

  // A maximum the text cannot show is pulled into range.
  EXPECT_EQ(TimeEdit(1e12).Maximum(), TimeEdit::kLargestShownValue);
  EXPECT_EQ(TimeEdit(-5.0).Maximum(), 0.0);
}

TEST(TimeEdit, CaretSkipsSeparatorsAndStopsAtBothEnds) {
  TimeEdit edit;
  edit.Click(0);
  std::vector<std::int32_t> rightward{edit.Caret()};
  for (int i = 0; i < 9; ++i) {
    edit.MoveRight();
    rightward.push_back(edit.Caret());
  }
  EXPECT_EQ(rightward, (std::vector<std::int32_t>{0, 1, 3, 4, 6, 7, 9, 10, 11, 11}));

  std::vector<std::int32_t> leftward{edit.Caret()};
  for (int i = 0; i < 9; ++i) {
    edit.MoveLeft();
    leftward.push_back(edit.Caret());
  }
  EXPECT_EQ(leftward, (std::vector<std::int32_t>{11, 10, 9, 7, 6, 4, 3, 1, 0, 0}));

  // The caret shows as a one-character selection on its digit.
  edit.Click(7);
  EXPECT_EQ(edit.SelectionStart(), 7);
  EXPECT_EQ(edit.SelectionLength(), 1);
}

TEST(TimeEdit, ClicksAndFocusPutTheCaretOnADigit) {
  TimeEdit edit;
  edit.Click(4);
  EXPECT_EQ(edit.Caret(), 4);
  edit.Click(2);
  EXPECT_EQ(edit.Caret(), 3);  // separator: the digit after it
  edit.Click(5);
  EXPECT_EQ(edit.Caret(), 6);
  edit.Click(8);
  EXPECT_EQ(edit.Caret(), 9);
  edit.Click(12);
  EXPECT_EQ(edit.Caret(), 11);  // past the end
  edit.Click(40);
  EXPECT_EQ(edit.Caret(), 11);
  edit.Click(-3);
  EXPECT_EQ(edit.Caret(), 0);

  edit.Click(3);
  edit.FocusIn();
  EXPECT_EQ(edit.Caret(), 11);

  // A left press places the caret like a click; a right press, a right click
  // and a double click leave caret and text alone.
  edit.MousePress(Button::Left, 2, 0);
  edit.MouseRelease();
  EXPECT_EQ(edit.Caret(), 3);
  edit.MousePress(Button::Right, 9, 0);
  edit.RightClick(9);
  edit.DoubleClick(10);
  EXPECT_EQ(edit.Caret(), 3);
  EXPECT_EQ(edit.Text(), "00:00:00:000");
}

TEST(TimeEdit, TypedDigitsReplaceTheCaretDigitWithinItsPlaceLimit) {
  TimeEdit edit = FieldWith("00:00:00:000", 0);
  EXPECT_TRUE(edit.TypeCharacter('1'));
  EXPECT_EQ(edit.Caret(), 1);
  EXPECT_TRUE(edit.TypeCharacter('9'));  // second hour digit tops out at 4
  EXPECT_EQ(edit.Text(), "14:00:00:000");
  EXPECT_EQ(edit.Caret(), 3);  // skipped the separator
  EXPECT_TRUE(edit.TypeCharacter('7'));  // tens of minutes top out at 5
  EXPECT_EQ(edit.Text(), "14:50:00:000");
  EXPECT_TRUE(edit.TypeCharacter('9'));  // units of minutes take any digit
  EXPECT_TRUE(edit.TypeCharacter('8'));  // tens of seconds top out at 5
  EXPECT_TRUE(edit.TypeCharacter('9'));
  EXPECT_TRUE(edit.TypeCharacter('9'));  // milliseconds take any digit
  EXPECT_TRUE(edit.TypeCharacter('9'));
  EXPECT_TRUE(edit.TypeCharacter('9'));
  EXPECT_EQ(edit.Text(), "14:59:59:999");
  EXPECT_EQ(edit.Caret(), 11);
  EXPECT_TRUE(edit.TypeCharacter('3'));  // last digit: caret stays on it
  EXPECT_EQ(edit.Text(), "14:59:59:993");
  EXPECT_EQ(edit.Caret(), 11);

  // First hour digit tops out at 2.
  edit = FieldWith("03:00:00:000", 0);
  edit.TypeCharacter('8');
  EXPECT_EQ(edit.Text(), "23:00:00:000");

  // Non-digits are ignored: no change, no caret move.
  edit = FieldWith("12:34:56:789", 4);
  EXPECT_FALSE(edit.TypeCharacter('a'));
  EXPECT_FALSE(edit.TypeCharacter(':'));
  EXPECT_FALSE(edit.TypeCharacter(' '));
  EXPECT_EQ(edit.Text(), "12:34:56:789");
  EXPECT_EQ(edit.Caret(), 4);
  // Typing the digit already there moves on but changes nothing.
  EXPECT_FALSE(edit.TypeCharacter('4'));
  EXPECT_EQ(edit.Caret(), 6);
}

TEST(TimeEdit, ReachingHours24ClearsEverythingBelowTheHours) {
  // A 2 at position 0 while position 1 holds 4.
  TimeEdit edit = FieldWith("14:37:48:569", 0);
  EXPECT_TRUE(edit.TypeCharacter('2'));
  EXPECT_EQ(edit.Text(), "24:00:00:000");

  // A digit limited to 2 counts as a typed 2.
  edit = FieldWith("04:37:48:569", 0);
  edit.TypeCharacter('9');
  EXPECT_EQ(edit.Text(), "24:00:00:000");

  // A 4 (or a digit limited to 4) at position 1 while position 0 holds 2.
  edit = FieldWith("21:37:48:569", 1);
  edit.TypeCharacter('4');
  EXPECT_EQ(edit.Text(), "24:00:00:000");
  edit = FieldWith("21:37:48:569", 1);
  edit.TypeCharacter('7');
  EXPECT_EQ(edit.Text(), "24:00:00:000");

  // Other hours keep the lower fields.
  edit = FieldWith("13:37:48:569", 0);
  edit.TypeCharacter('2');
  EXPECT_EQ(edit.Text(), "23:37:48:569");
  edit = FieldWith("14:37:48:569", 0);
  edit.TypeCharacter('1');
  EXPECT_EQ(edit.Text(), "14:37:48:569");
  edit = FieldWith("11:37:48:569", 1);
  edit.TypeCharacter('4');
  EXPECT_EQ(edit.Text(), "14:37:48:569");
}

TEST(TimeEdit, BackspaceAndDeleteZeroTheCaretDigit) {
  TimeEdit edit = FieldWith("12:34:56:789", 3);
  EXPECT_TRUE(edit.Backspace());
  EXPECT_EQ(edit.Text(), "12:04:56:789");
  EXPECT_EQ(edit.Caret(), 1);  // left, over the separator
  EXPECT_TRUE(edit.Delete());
  EXPECT_EQ(edit.Text(), "10:04:56:789");
  EXPECT_EQ(edit.Caret(), 3);  // right, over the separator
  EXPECT_FALSE(edit.Delete());  // already 0
  EXPECT_EQ(edit.Caret(), 4);

  // At the ends the digit is cleared and the caret stays.
  edit = FieldWith("12:34:56:789", 0);
  EXPECT_TRUE(edit.Backspace());
  EXPECT_EQ(edit.Text(), "02:34:56:789");
  EXPECT_EQ(edit.Caret(), 0);
  edit.Click(11);
  EXPECT_TRUE(edit.Delete());
  EXPECT_EQ(edit.Text(), "02:34:56:780");
  EXPECT_EQ(edit.Caret(), 11);
}

TEST(TimeEdit, ArrowsStepByThePlaceValueAndWrap) {
  TimeEdit edit = FieldWith("00:00:59:999", 11);
  EXPECT_TRUE(edit.StepUp());
  EXPECT_EQ(edit.Text(), "00:01:00:000");  // carries through every field
  EXPECT_EQ(edit.Caret(), 11);
  EXPECT_TRUE(edit.StepDown());
  EXPECT_EQ(edit.Text(), "00:00:59:999");

  // Each digit steps by its own place value.
  const std::vector<std::pair<std::int32_t, TimeMs>> places{
      {0, 36'000'000.0}, {1, 3'600'000.0}, {3, 600'000.0}, {4, 60'000.0}, {6, 10'000.0},
      {7, 1'000.0},      {9, 100.0},       {10, 10.0},     {11, 1.0}};
  for (const auto& [position, place] : places) {
    edit = FieldWith("11:11:11:111", position);
    edit.StepUp();
    EXPECT_EQ(edit.Value(), 40'271'111.0 + place) << "position " << position;
    EXPECT_EQ(edit.Caret(), position);
    edit.StepDown();
    edit.StepDown();
    EXPECT_EQ(edit.Value(), 40'271'111.0 - place) << "position " << position;
  }

  // Below zero wraps to the maximum.
  edit = FieldWith("00:00:00:000", 0);
  EXPECT_TRUE(edit.StepDown());
  EXPECT_EQ(edit.Text(), "27:46:40:000");
  EXPECT_EQ(edit.Caret(), 0);
  edit = FieldWith("00:00:00:000", 11);
  edit.StepDown();
  EXPECT_EQ(edit.Value(), TimeEditMaximum);

  // Reaching the maximum exactly, or passing it, wraps to zero.
  edit = FieldWith("27:46:39:999", 11);
  EXPECT_TRUE(edit.StepUp());
  EXPECT_EQ(edit.Text(), "00:00:00:000");
  edit = FieldWith("27:46:39:999", 0);
  edit.StepUp();
  EXPECT_EQ(edit.Text(), "00:00:00:000");
  edit = FieldWith("27:46:39:998", 11);
  edit.StepUp();
  EXPECT_EQ(edit.Text(), "27:46:39:999");

  // The wrap follows the field's own maximum.
  TimeEdit small(10'000.0);
  small.Click(7);
  small.StepDown();
  EXPECT_EQ(small.Text(), "00:00:10:000");
  small.StepUp();
  EXPECT_EQ(small.Text(), "00:00:00:000");
}

TEST(TimeEdit, DraggingStepsOncePerEightPixels) {
  TimeEdit edit = FieldWith("00:00:00:000", 0);
  edit.MousePress(Button::Left, 10, 100);
  EXPECT_EQ(edit.Caret(), 10);
  EXPECT_TRUE(edit.Dragging());

  EXPECT_FALSE(edit.MouseMove(93));  // 7 pixels: not a full step
  EXPECT_EQ(edit.Value(), 0.0);
  EXPECT_TRUE(edit.MouseMove(83));   // 17 up from the press: two steps
  EXPECT_EQ(edit.Value(), 20.0);
  EXPECT_FALSE(edit.MouseMove(80));  // reference is now 84: 4 pixels
  EXPECT_TRUE(edit.MouseMove(76));   // 8 above 84
  EXPECT_EQ(edit.Value(), 30.0);
  EXPECT_TRUE(edit.MouseMove(100));  // 24 down from 76: three steps back
  EXPECT_EQ(edit.Value(), 0.0);
  EXPECT_TRUE(edit.MouseMove(108));  // below zero wraps to the maximum
  EXPECT_EQ(edit.Value(), TimeEditMaximum);
  EXPECT_EQ(edit.Caret(), 10);
  edit.MouseRelease();
  EXPECT_FALSE(edit.Dragging());

  // Without the left button held, moves do nothing.
  edit.SetValue(0.0);
  EXPECT_FALSE(edit.MouseMove(0));
  EXPECT_FALSE(edit.MouseMove(500));
  edit.MousePress(Button::Right, 11, 100);
  EXPECT_FALSE(edit.Dragging());
  EXPECT_FALSE(edit.MouseMove(50));
  edit.DoubleClick(11);
  EXPECT_FALSE(edit.MouseMove(0));
  EXPECT_EQ(edit.Text(), "00:00:00:000");
  EXPECT_EQ(edit.Caret(), 10);

  // A new press starts a fresh reference point.
  edit.MousePress(Button::Left, 11, 300);
  EXPECT_TRUE(edit.MouseMove(292));
  EXPECT_EQ(edit.Value(), 1.0);
}

}  // namespace
}  // namespace vantorelle
