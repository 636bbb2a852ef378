// Whole-clip edits of the track area: copy order, paste placement and
// refusal, insert, split, repeat and delete, with the timeline checked after
// every edit and refused edits leaving everything, undo included, as it was.
#include "timeline/clip_editor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/document_fixture.h"
#include "support/timeline_fixtures.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::PlaceClip;

// Default tracks: 0, 1 video; 2, 3 audio; 4 slide title; 5 movable title.
struct EditorFixture : ::testing::Test {
  CVantorelleDoc& Doc() { return project.doc; }
  CTrack& Track(std::size_t i) { return project.Track(i); }
  CFilm& Clip(std::size_t track, TimeMs start, TimeMs duration, bool selected = false) {
    const SourceFlagBits flags = track < 2 ? SourceFlags::VideoStream | SourceFlags::MovieFile
                                           : SourceFlags::AudioStream | SourceFlags::MovieFile;
    CFilm& clip = PlaceClip(Track(track), start, duration, flags, &movie);
    clip.sourceLength = 100000.0;
    clip.selection = selected ? 1 : 0;
    ++movie.usageCount;
    return clip;
  }
  // A picture on the first video track linked to its sound on the first audio track.
  std::pair<CFilm*, CFilm*> Movie(TimeMs start, TimeMs duration, bool selected = false) {
    CFilm& picture = Clip(0, start, duration, selected);
    CFilm& sound = Clip(2, start, duration, selected);
    CFilm::Link(picture, sound);
    return {&picture, &sound};
  }
  // Each clip of the first video track is linked to the clip at the same
  // index on the first audio track, and to nothing else.
  void ExpectPairedByIndex() {
    ASSERT_EQ(Track(0).clips.size(), Track(2).clips.size());
    for (std::size_t i = 0; i < Track(0).clips.size(); ++i) {
      EXPECT_THAT(Track(0).clips[i]->links, ElementsAre(Track(2).clips[i].get())) << "pair " << i;
      EXPECT_THAT(Track(2).clips[i]->links, ElementsAre(Track(0).clips[i].get())) << "pair " << i;
    }
  }
  std::vector<TimeMs> Starts(std::size_t track) { return project.Starts(track); }
  void ExpectConsistent() { project.ExpectConsistent({&movie}); }

  testing::TestDocument project;
  CSrc& movie = project.AddSource("/media/movie.avi", 100000.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
  ClipEditor editor{project.doc, project.ui};
};

TEST_F(EditorFixture, CopyGoesTrackByTrackFromTheLastClipAndPasteKeepsOffsets) {
  Clip(0, 1000.0, 500.0, true);
  Clip(0, 3000.0, 500.0, true);
  Clip(2, 2000.0, 500.0, true);
  Clip(2, 9000.0, 500.0, false);
  editor.Copy();
  std::vector<TimeMs> order;
  for (const auto& clip : Doc().timeline.clipboard) order.push_back(clip->start);
  EXPECT_THAT(order, ElementsAre(3000.0, 1000.0, 2000.0));
  EXPECT_FALSE(Doc().undoHistory.CanUndo());  // copying records nothing

  ASSERT_TRUE(editor.Paste(10000.0));
  EXPECT_THAT(Starts(0), ElementsAre(1000.0, 3000.0, 10000.0, 12000.0));
  EXPECT_THAT(Starts(2), ElementsAre(2000.0, 9000.0, 11000.0));
  EXPECT_TRUE(Track(0).clips[2]->IsSelected());
  EXPECT_FALSE(Track(0).clips[0]->IsSelected());
  EXPECT_EQ(movie.usageCount, 7);
  EXPECT_EQ(Doc().undoHistory.LastKind(), UndoKind::Paste);
  ExpectConsistent();
}

TEST_F(EditorFixture, PasteOnAnOccupiedTrackTakesTheNextOfTheSameKindOrRefuses) {
  CFilm& clip = Clip(0, 1000.0, 500.0);
  editor.CopyClip(clip);
  ASSERT_TRUE(editor.Paste(1200.0));  // track 0 is taken there: track 1
  EXPECT_THAT(Starts(1), ElementsAre(1200.0));
  ExpectConsistent();

  const std::size_t records = Doc().undoHistory.EntryCount();
  ASSERT_FALSE(editor.Paste(1100.0));  // both video tracks are taken
  EXPECT_THAT(project.ui.MessageTexts(), ElementsAre("The target range is occupied by another clip(s)"));
  EXPECT_EQ(project.ui.messages[0].caption, "Can't paste the clipboard contents");
  EXPECT_EQ(Doc().timeline.ClipCount(), 2);
  EXPECT_EQ(Doc().undoHistory.EntryCount(), records);
  ExpectConsistent();
}

TEST_F(EditorFixture, PasteSkipsHiddenHomeTracksAndRefusesOverlappingTitles) {
  CFilm& clip = Clip(0, 0.0, 500.0);
  editor.CopyClip(clip);
  Track(0).shown = 0;
  Track(1).shown = 0;
  EXPECT_FALSE(editor.Paste(5000.0));
  EXPECT_TRUE(project.ui.messages.empty());

  CFilm& title = PlaceClip(Track(4), 0.0, 1000.0, SourceFlags::VideoStream);
  editor.CopyClip(title);
  EXPECT_FALSE(editor.Paste(500.0));  // titles never move to another track
  EXPECT_EQ(project.ui.messages.size(), 1u);
  EXPECT_TRUE(editor.Paste(1000.0));
  EXPECT_EQ(Track(4).clips.size(), 2u);
}

TEST_F(EditorFixture, InsertInsideAClipSplitsItAndMovesEverythingLater) {
  CFilm& source = Clip(0, 0.0, 1000.0);
  editor.CopyClip(source);          // a span of 1000 ms
  Clip(1, 2000.0, 1000.0);          // a clip across the insertion time
  Clip(2, 4000.0, 500.0);           // a later clip on another track
  ASSERT_TRUE(editor.Insert(2400.0));
  EXPECT_THAT(Starts(1), ElementsAre(2000.0, 3400.0));
  EXPECT_EQ(Track(1).clips[0]->duration, 400.0);
  EXPECT_EQ(Track(1).clips[1]->duration, 600.0);
  EXPECT_EQ(Track(1).clips[1]->inPoint, 400.0);
  EXPECT_THAT(Starts(2), ElementsAre(5000.0));
  EXPECT_THAT(Starts(0), ElementsAre(0.0, 2400.0));  // the clipboard copy at the insertion time
  EXPECT_TRUE(Track(0).clips[1]->IsSelected());
  ExpectConsistent();
}

TEST_F(EditorFixture, InsertPastTwentyFourHoursIsRefused) {
  CFilm& clip = Clip(0, 0.0, 1000.0);
  editor.CopyClip(clip);
  Clip(2, 86'399'500.0, 400.0);
  EXPECT_FALSE(editor.Insert(500.0));
  EXPECT_THAT(project.ui.MessageTexts(), ElementsAre("Can't insert clip(s) in this location"));
  EXPECT_EQ(project.ui.messages[0].caption, "Clip inserting");
  EXPECT_THAT(Starts(0), ElementsAre(0.0));
  EXPECT_FALSE(Doc().undoHistory.CanUndo());
}

TEST_F(EditorFixture, SplitAtTheMarkLeavesClipsThatOnlyTouchIt) {
  Clip(0, 0.0, 1000.0);
  Clip(1, 1000.0, 1000.0);  // starts at the mark
  Clip(2, 500.0, 1000.0);
  ASSERT_TRUE(editor.Split(1000.0));
  EXPECT_THAT(Starts(0), ElementsAre(0.0));  // ends at the mark
  EXPECT_THAT(Starts(1), ElementsAre(1000.0));
  EXPECT_THAT(Starts(2), ElementsAre(500.0, 1000.0));
  EXPECT_EQ(movie.usageCount, 4);
  ExpectConsistent();
  EXPECT_FALSE(editor.Split(5000.0));  // nothing under the mark: no undo step
  Doc().Undo();
  EXPECT_THAT(Starts(2), ElementsAre(500.0));

  CFilm& shortClip = Clip(1, 3000.0, 40.0);
  EXPECT_FALSE(ClipEditor::CanSplitClip(shortClip, 3020.0));  // not longer than a frame
  CFilm& longClip = Clip(1, 4000.0, 1000.0);
  EXPECT_TRUE(editor.SplitClip(longClip, 4410.0));  // on the nearest frame
  EXPECT_THAT(Starts(1), ElementsAre(1000.0, 3000.0, 4000.0, 4400.0));
}

TEST_F(EditorFixture, RepeatOffersWhatFitsAndPlacesTheCopies) {
  CFilm& clip = Clip(0, 0.0, 1000.0);
  Clip(0, 3500.0, 500.0);
  EXPECT_EQ(RepeatFitCount(clip), 2);
  RepeatClipDialog dialog(clip, 7);
  EXPECT_EQ(dialog.Count(), 2);  // a clip follows: all that fit
  dialog.SetCount(5);
  EXPECT_EQ(dialog.Count(), 2);
  dialog.SetPause(400.0);
  EXPECT_EQ(dialog.Pause(), 250.0);  // the copies still end before the next clip
  EXPECT_EQ(dialog.ResultEnd(), 3500.0);
  dialog.Apply(Doc(), clip);
  EXPECT_THAT(Starts(0), ElementsAre(0.0, 1250.0, 2500.0, 3500.0));
  EXPECT_EQ(Doc().preferences.repeatClipValue, 2);
  ExpectConsistent();

  CFilm& last = Clip(1, 0.0, 1000.0);
  EXPECT_EQ(RepeatFitCount(last), 86'399);  // up to 24 hours
  RepeatClipDialog open(last, 30);
  EXPECT_EQ(open.Count(), 30);  // nothing follows: the count used last
  open.Apply(Doc(), last);
  EXPECT_EQ(Doc().times.projectSize, 31000.0);  // the project grows to the last copy
}

TEST_F(EditorFixture, DeleteAndCutKeepUsageCountsAndUndoBringsClipsBack) {
  CFilm& picture = Clip(0, 0.0, 1000.0, true);
  CFilm& sound = Clip(2, 0.0, 1000.0, true);
  CFilm::Link(picture, sound);
  Clip(1, 0.0, 1000.0, false);
  ASSERT_TRUE(editor.Cut());
  EXPECT_EQ(Doc().timeline.ClipCount(), 1);
  EXPECT_EQ(movie.usageCount, 1);
  EXPECT_EQ(Doc().timeline.clipboard.size(), 2u);
  ExpectConsistent();
  Doc().Undo();
  EXPECT_EQ(Doc().timeline.ClipCount(), 3);
  EXPECT_EQ(movie.usageCount, 3);
  EXPECT_TRUE(Track(0).clips[0]->IsLinkedTo(*Track(2).clips[0]));
  editor.DeselectAll();
  EXPECT_FALSE(editor.Delete());  // nothing selected
  editor.SelectAll();
  EXPECT_TRUE(editor.AllClipsSelectedAndShown());
  editor.InvertSelection();
  EXPECT_FALSE(editor.AnySelected());
  ASSERT_TRUE(editor.DeleteClip(*Track(1).clips[0]));
  EXPECT_EQ(movie.usageCount, 2);
  ExpectConsistent();
}

TEST_F(EditorFixture, SplitKeepsLeftHalvesAndRightHalvesLinkedPairwise) {
  Movie(0.0, 1000.0);
  ASSERT_TRUE(editor.Split(400.0));
  ExpectConsistent();
  EXPECT_THAT(Starts(0), ElementsAre(0.0, 400.0));
  ExpectPairedByIndex();

  // Split clip on the sound splits its picture at the same time.
  ASSERT_TRUE(editor.SplitClip(*Track(2).clips[1], 720.0));
  ExpectConsistent();
  EXPECT_THAT(Starts(0), ElementsAre(0.0, 400.0, 720.0));
  EXPECT_THAT(Starts(2), ElementsAre(0.0, 400.0, 720.0));
  ExpectPairedByIndex();
  EXPECT_EQ(movie.usageCount, 6);
}

TEST_F(EditorFixture, APartnerLeftWholeByASplitStaysWithTheHalfOnItsSide) {
  auto [picture, sound] = Movie(0.0, 1000.0);
  CFilm& lateSound = Clip(3, 600.0, 400.0);  // out of step, wholly after the mark
  CFilm::Link(*picture, lateSound);
  ASSERT_TRUE(editor.Split(400.0));
  ExpectConsistent();
  CFilm& right = *Track(0).clips[1];
  EXPECT_THAT(lateSound.links, ElementsAre(&right));
  EXPECT_THAT(right.links, ::testing::UnorderedElementsAre(Track(2).clips[1].get(), &lateSound));
  EXPECT_THAT(Track(0).clips[0]->links, ElementsAre(Track(2).clips[0].get()));
}

TEST_F(EditorFixture, InsertSplitsLinkedClipsPairwiseAndInsertsLinkedCopies) {
  Movie(0.0, 1000.0);
  auto [copied, copiedSound] = Movie(5000.0, 500.0);
  editor.CopyClip(*copied);  // with its sound: a span of 500 ms
  ASSERT_EQ(Doc().timeline.clipboard.size(), 2u);
  ASSERT_TRUE(editor.Insert(400.0));
  ExpectConsistent();
  EXPECT_THAT(Starts(0), ElementsAre(0.0, 400.0, 900.0, 5500.0));
  EXPECT_THAT(Starts(2), ElementsAre(0.0, 400.0, 900.0, 5500.0));
  ExpectPairedByIndex();
  EXPECT_TRUE(Track(2).clips[1]->IsSelected());
}

TEST_F(EditorFixture, CopiesOfLinkedClipsStayLinkedThroughPasteAndUndo) {
  Movie(0.0, 1000.0, true);
  editor.Copy();
  const auto& clipboard = Doc().timeline.clipboard;
  ASSERT_EQ(clipboard.size(), 2u);
  EXPECT_THAT(clipboard[0]->links, ElementsAre(clipboard[1].get()));
  ASSERT_TRUE(editor.Paste(2000.0));
  ExpectConsistent();
  ExpectPairedByIndex();

  // The clipboard of an undo snapshot is linked as the live one was.
  ASSERT_TRUE(editor.Delete());
  Doc().Undo();
  ExpectConsistent();
  ASSERT_EQ(clipboard.size(), 2u);
  EXPECT_THAT(clipboard[1]->links, ElementsAre(clipboard[0].get()));
  ASSERT_TRUE(editor.Paste(4000.0));
  ExpectPairedByIndex();
}

TEST_F(EditorFixture, DeleteClipAndCutClipTakeTheLinkedPartners) {
  auto [picture, sound] = Movie(0.0, 1000.0);
  Clip(1, 0.0, 1000.0);
  ASSERT_TRUE(editor.DeleteClip(*sound));
  ExpectConsistent();
  EXPECT_TRUE(Track(0).clips.empty());
  EXPECT_TRUE(Track(2).clips.empty());
  EXPECT_EQ(movie.usageCount, 1);

  Doc().Undo();
  ASSERT_TRUE(editor.CutClip(*Track(0).clips[0]));
  ExpectConsistent();
  EXPECT_EQ(Doc().timeline.ClipCount(), 1);
  ASSERT_EQ(Doc().timeline.clipboard.size(), 2u);
  EXPECT_TRUE(Doc().timeline.clipboard[0]->IsLinkedTo(*Doc().timeline.clipboard[1]));
}

TEST_F(EditorFixture, RangeFromAClip) {
  CFilm& clip = Clip(0, 2000.0, 1000.0);
  editor.SetRangeToClip(clip);
  EXPECT_EQ(Doc().times.rangeStart, 2000.0);
  EXPECT_EQ(Doc().times.rangeStop, 3000.0);
  CFilm& later = Clip(1, 5000.0, 1000.0);
  editor.ExpandRangeToClip(later);
  EXPECT_EQ(Doc().times.rangeStart, 2000.0);
  EXPECT_EQ(Doc().times.rangeStop, 6000.0);
  EXPECT_TRUE(Doc().times.RangePresent());
}

}  // namespace
}  // namespace vantorelle
