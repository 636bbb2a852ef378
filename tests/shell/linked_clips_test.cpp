// Picture and sound of one movie in the editor: a plain drag carries both,
// Alt+drag moves one alone and labels the slip, and split halves stay
// paired for Delete.
#include <QApplication>

#include <gmock/gmock.h>

#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"
#include "track_area_widget.h"

namespace vantorelle::testing {
namespace {

QPoint CentreOf(const PixelRect& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

class LinkedClips : public EditorFixture {
 protected:
  // A movie with sound dropped on the first video track, then nothing
  // selected, so the next click decides what moves.
  void PlaceMovieUnselected() {
    ASSERT_TRUE(DropMovieOnVideoTrack(100));
    ASSERT_EQ(Video()->clips.size(), 1u);
    ASSERT_EQ(Audio()->clips.size(), 1u);
    ASSERT_TRUE(Picture0().IsLinkedTo(Sound0()));
    Window().RunCommand(CommandId::DeselectAll);
    ASSERT_FALSE(Sound0().IsSelected());
  }
  CTrack* Video() const { return FirstTrackOfKind(TrackKind::Video); }
  CTrack* Audio() const { return FirstTrackOfKind(TrackKind::Audio); }
  CFilm& Picture0() const { return *Video()->clips.front(); }
  CFilm& Sound0() const { return *Audio()->clips.front(); }
  QPoint BodyOf(const CFilm& clip) const { return CentreOf(ShapeOf(clip)->rect); }
  void ExpectConsistent() {
    const auto problems = CheckTimelineConsistency(Doc().timeline);
    EXPECT_THAT(problems, ::testing::IsEmpty());
  }
};

TEST_F(LinkedClips, DraggingThePictureCarriesItsSoundTheSameDistance) {
  PlaceMovieUnselected();
  CFilm& picture = Picture0();
  CFilm& sound = Sound0();
  const TimeMs before = picture.start;
  DragWithLeftButton(BodyOf(picture), BodyOf(picture) + QPoint(37, 0));
  ExpectConsistent();
  EXPECT_GT(picture.start, before);
  EXPECT_EQ(sound.start, picture.start);
  EXPECT_TRUE(sound.IsSelected());
  EXPECT_TRUE(ShapeOf(picture)->syncOffset.empty());
}

TEST_F(LinkedClips, AltDragMovesThePictureAloneAndLabelsTheSlip) {
  PlaceMovieUnselected();
  CFilm& picture = Picture0();
  CFilm& sound = Sound0();
  const TimeMs before = picture.start;
  DragWithLeftButton(BodyOf(picture), BodyOf(picture) + QPoint(37, 0), Qt::AltModifier);
  ExpectConsistent();
  EXPECT_GT(picture.start, before);
  EXPECT_EQ(sound.start, before);
  EXPECT_TRUE(picture.IsSelected());
  EXPECT_FALSE(sound.IsSelected());
  EXPECT_TRUE(picture.IsLinkedTo(sound));  // still one movie, out of step
  const std::int32_t mode = Doc().preferences.timeDisplayMode;
  EXPECT_EQ(ShapeOf(picture)->syncOffset, SyncOffsetLabel(picture.start - before, mode));
  EXPECT_EQ(ShapeOf(sound)->syncOffset, SyncOffsetLabel(before - picture.start, mode));
  EXPECT_EQ(ShapeOf(picture)->syncOffset.substr(0, 1), "+");
}

TEST_F(LinkedClips, SplitHalvesStayPairedSoDeleteTakesTheSoundHalfToo) {
  PlaceMovieUnselected();
  const TimeMs start = Picture0().start;
  Doc().times.timeMark = start + 1000.0;
  Window().RunCommand(CommandId::SplitClip);  // Split: every clip at the time mark
  ASSERT_EQ(Video()->clips.size(), 2u);
  ASSERT_EQ(Audio()->clips.size(), 2u);
  ExpectConsistent();

  const QPoint secondHalf = BodyOf(*Video()->clips[1]);
  Press(secondHalf);
  Release(secondHalf);
  QApplication::processEvents();
  EXPECT_TRUE(Audio()->clips[1]->IsSelected());
  EXPECT_FALSE(Audio()->clips[0]->IsSelected());
  Window().RunCommand(CommandId::Delete);
  ExpectConsistent();
  ASSERT_EQ(Video()->clips.size(), 1u);
  ASSERT_EQ(Audio()->clips.size(), 1u) << "the sound of the deleted half stayed behind";
  EXPECT_EQ(Sound0().End(), start + 1000.0);
  EXPECT_THAT(Picture0().links, ::testing::ElementsAre(&Sound0()));
}

}  // namespace
}  // namespace vantorelle::testing
