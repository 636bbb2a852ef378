// The "Add New Title Track" / "Change Title Track Settings" dialog: its
// caption, the motion fields that only a movable title has, the speed field
// and what the dialog hands back.
#include "titles/title_track_editor.h"

#include <gtest/gtest.h>

#include "support/video_standard_scope.h"
#include "titles/title_values.h"

namespace vantorelle {
namespace {

using testing::VideoStandardScope;

TitleTrackRecord MovableRecord() {
  TitleTrackRecord record = TitleTrackRecord::New(3);
  record.type = TrackTypes::TitleMovable;
  record.direction = 2;
  record.precision = 1;
  record.maxSpeed = 2.0;
  record.trackHeight = 96;
  return record;
}

struct TitleTrackEditorTest : ::testing::Test {
  VideoStandardScope pal{VideoStandard{}};
};

TEST_F(TitleTrackEditorTest, CaptionsAndValueLists) {
  EXPECT_STREQ(TitleTrackEditor(MovableRecord(), TitleTrackEditor::Purpose::Add).Caption(), "Add New Title Track");
  EXPECT_STREQ(TitleTrackEditor(MovableRecord(), TitleTrackEditor::Purpose::Change).Caption(),
               "Change Title Track Settings");
  EXPECT_STREQ(kTitleTypeNames[0], "Movable");
  EXPECT_STREQ(kTitleTypeNames[1], "Slide");
  EXPECT_STREQ(kTitleDirectionNames[3], "To Down");
  EXPECT_STREQ(kTitlePrecisionNames[3], "Highest");
  EXPECT_EQ(TitleTypeOfIndex(0), 0x40010u);
  EXPECT_EQ(TitleTypeOfIndex(1), 0x40020u);
}

TEST_F(TitleTrackEditorTest, AMovableTitleShowsItsMotion) {
  TitleTrackEditor editor(MovableRecord(), TitleTrackEditor::Purpose::Change);
  EXPECT_EQ(editor.TypeIndex(), 0);
  EXPECT_EQ(editor.name, "Region 3");
  EXPECT_EQ(editor.heightChoice, 2);
  EXPECT_EQ(editor.Direction().selection, 2);
  EXPECT_TRUE(editor.Direction().enabled);
  EXPECT_EQ(editor.Precision().selection, 1);
  EXPECT_EQ(editor.Speed().text, " 2.00");
  EXPECT_TRUE(editor.Speed().enabled);
  EXPECT_EQ(editor.SpeedSpinPosition(), 200);
  EXPECT_EQ(editor.SecondsPerScreenField().text, "5.760");
  EXPECT_FALSE(editor.SecondsPerScreenField().enabled);
}

TEST_F(TitleTrackEditorTest, ASlideTitleHasItsMotionFieldsEmptiedAndDisabled) {
  TitleTrackEditor editor(MovableRecord(), TitleTrackEditor::Purpose::Change);
  ASSERT_TRUE(editor.SetTypeIndex(1));
  EXPECT_EQ(editor.Direction().selection, -1);
  EXPECT_FALSE(editor.Direction().enabled);
  EXPECT_FALSE(editor.Precision().enabled);
  EXPECT_EQ(editor.Speed().text, "");
  EXPECT_FALSE(editor.Speed().enabled);
  EXPECT_EQ(editor.SecondsPerScreenField().text, "");
  EXPECT_FALSE(editor.SetDirection(0));
  EXPECT_FALSE(editor.SetPrecision(0));
  EXPECT_FALSE(editor.TypeSpeed("5"));
  EXPECT_FALSE(editor.SpinSpeed(1));

  const TitleTrackRecord result = editor.Result();
  EXPECT_EQ(result.type, TrackTypes::TitleSlide);
  EXPECT_EQ(result.direction, 2);  // kept for a later change back
  EXPECT_EQ(result.maxSpeed, 2.0);

  ASSERT_TRUE(editor.SetTypeIndex(0));
  EXPECT_EQ(editor.Direction().selection, 2);
  EXPECT_EQ(editor.Speed().text, " 2.00");
}

TEST_F(TitleTrackEditorTest, ValuesOutsideTheListsAreRefused) {
  TitleTrackEditor editor(MovableRecord(), TitleTrackEditor::Purpose::Change);
  EXPECT_FALSE(editor.SetTypeIndex(2));
  EXPECT_FALSE(editor.SetTypeIndex(-1));
  EXPECT_FALSE(editor.SetDirection(4));
  EXPECT_FALSE(editor.SetPrecision(-1));
  EXPECT_EQ(editor.TypeIndex(), 0);
  EXPECT_EQ(editor.Direction().selection, 2);
  EXPECT_EQ(editor.Precision().selection, 1);
}

TEST_F(TitleTrackEditorTest, DirectionAndTypedSpeedRefreshTheSecondsPerScreen) {
  TitleTrackEditor editor(MovableRecord(), TitleTrackEditor::Purpose::Change);
  ASSERT_TRUE(editor.SetDirection(0));
  EXPECT_EQ(editor.SecondsPerScreenField().text, "7.200");
  ASSERT_TRUE(editor.TypeSpeed("1"));
  EXPECT_EQ(editor.Speed().text, "1");  // as typed until the field is left
  EXPECT_EQ(editor.SecondsPerScreenField().text, "14.400");
  editor.TypeSpeed("0");
  EXPECT_EQ(editor.SecondsPerScreenField().text, "1440.000");
}

TEST_F(TitleTrackEditorTest, LeavingTheSpeedFieldNormalisesIt) {
  TitleTrackEditor editor(MovableRecord(), TitleTrackEditor::Purpose::Change);
  const std::pair<const char*, const char*> cases[] = {
      {"0", " 0.01"}, {"123.456", "100.00"}, {"2.999", " 2.99"}, {"abc", " 0.01"}, {"-4", " 0.01"}, {"12.5", "12.50"}};
  for (const auto& [typed, shown] : cases) {
    editor.TypeSpeed(typed);
    editor.LeaveSpeedField();
    EXPECT_EQ(editor.Speed().text, shown) << typed;
  }
  editor.TypeSpeed("2.999");
  editor.LeaveSpeedField();
  EXPECT_EQ(editor.SpeedSpinPosition(), 299);
}

TEST_F(TitleTrackEditorTest, TheSpinControlMovesInHundredthsWithinItsRange) {
  TitleTrackEditor editor(MovableRecord(), TitleTrackEditor::Purpose::Change);
  editor.SpinSpeed(1);
  EXPECT_EQ(editor.Speed().text, " 2.01");
  editor.SpinSpeed(-100);
  EXPECT_EQ(editor.Speed().text, " 1.01");
  editor.SpinSpeed(-100000);
  EXPECT_EQ(editor.SpeedSpinPosition(), 1);
  EXPECT_EQ(editor.Speed().text, " 0.01");
  editor.SpinSpeed(2147483647);
  EXPECT_EQ(editor.SpeedSpinPosition(), 10000);
  EXPECT_EQ(editor.Speed().text, "100.00");
}

TEST_F(TitleTrackEditorTest, TheResultTakesTheSpeedAsItIsOnceTheFieldIsLeft) {
  TitleTrackEditor editor(MovableRecord(), TitleTrackEditor::Purpose::Add);
  editor.name = "Crawl";
  editor.SetPrecision(3);
  editor.TypeSpeed("123.456");  // OK pressed while still in the field
  editor.heightChoice = 0;
  editor.fadeIn = 400.0;
  editor.fadeOut = -10.0;
  const TitleTrackRecord result = editor.Result();
  EXPECT_EQ(result.name, "Crawl");
  EXPECT_EQ(result.precision, 3);
  EXPECT_EQ(result.maxSpeed, 100.0);
  EXPECT_EQ(result.trackHeight, 24);
  EXPECT_EQ(result.fadeIn, 400.0);
  EXPECT_EQ(result.fadeOut, 0.0);
}

TEST_F(TitleTrackEditorTest, AStoredSpeedOfZeroComesBackAsTheSmallest) {
  TitleTrackRecord record = MovableRecord();
  record.maxSpeed = 0.0;
  TitleTrackEditor editor(record, TitleTrackEditor::Purpose::Change);
  EXPECT_EQ(editor.SpeedSpinPosition(), 1);
  EXPECT_EQ(editor.Result().maxSpeed, 0.01);
}

TEST_F(TitleTrackEditorTest, TrackHeightChoices) {
  EXPECT_EQ(TrackHeightChoice(24), 0);
  EXPECT_EQ(TrackHeightChoice(48), 1);
  EXPECT_EQ(TrackHeightChoice(96), 2);
  EXPECT_EQ(TrackHeightChoice(50), 1);
  EXPECT_EQ(TrackHeightOfChoice(0), 24);
  EXPECT_EQ(TrackHeightOfChoice(2), 96);
  EXPECT_EQ(TrackHeightOfChoice(7), 48);
}

}  // namespace
}  // namespace vantorelle
