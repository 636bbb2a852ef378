// Undo and redo by snapshots: record rules, coalescing of drags, depth, the
// lost redo branch, and that no clip ever points into a state that is gone.
#include "timeline/undo_history.h"

#include <gtest/gtest.h>

#include "support/timeline_fixtures.h"

namespace vantorelle {
namespace {

using testing::PlaceClip;

// A timeline of one video and one audio track; clips are told apart by start.
struct UndoFixture : ::testing::Test {
  UndoFixture() {
    timeline.tracks.push_back(std::make_unique<CTrack>(TrackTypes::Video, 48));
    timeline.tracks.push_back(std::make_unique<CTrack>(TrackTypes::Audio, 48));
  }
  CTrack& Video() { return *timeline.tracks[0]; }
  CTrack& Audio() { return *timeline.tracks[1]; }
  // The "edit" of these tests: a clip at the given start on the video track.
  void Edit(TimeMs start) {
    history.Record(timeline, UndoKind::Paste);
    PlaceClip(Video(), start, 100.0, SourceFlags::VideoStream, &source);
    ++source.usageCount;
  }
  std::vector<TimeMs> VideoStarts() {
    std::vector<TimeMs> starts;
    for (const auto& clip : Video().clips) starts.push_back(clip->start);
    return starts;
  }
  void ExpectConsistent() {
    timeline.RecountSourceUsage({&source});
    const auto problems = CheckTimelineConsistency(timeline, {&source});
    EXPECT_TRUE(problems.empty()) << problems.front();
  }

  CSrc source{"/media/a.avi", "a.avi"};
  CTimelineData timeline;
  CUndoHistory history;
};

TEST_F(UndoFixture, DepthLimitsHowFarUndoReaches) {
  history.SetDepth(3);
  for (TimeMs start : {0.0, 1000.0, 2000.0, 3000.0}) Edit(start);
  EXPECT_EQ(history.EntryCount(), 3u);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(history.CanUndo());
    history.Undo(timeline);
  }
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{0.0}));  // the state after the first edit
  EXPECT_FALSE(history.CanUndo());
  // Redo walks forward again to the latest state.
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(history.CanRedo());
    history.Redo(timeline);
  }
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{0.0, 1000.0, 2000.0, 3000.0}));
  ExpectConsistent();
}

TEST_F(UndoFixture, NewEditDiscardsTheRedoBranch) {
  Edit(0.0);
  Edit(1000.0);
  history.Undo(timeline);
  EXPECT_TRUE(history.CanRedo());
  Edit(5000.0);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.EntryCount(), static_cast<std::size_t>(history.Position()));
  history.Undo(timeline);
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{0.0}));
}

TEST_F(UndoFixture, OneDragIsOneStepAndTwoDragsAreTwo) {
  CFilm& clip = PlaceClip(Video(), 0.0, 100.0);
  for (int step = 1; step <= 20; ++step) {
    history.Record(timeline, UndoKind::MoveDrag);
    Video().clips[0]->start = step * 40.0;
  }
  EXPECT_EQ(history.EntryCount(), 1u);
  history.ResetCoalescing();  // button released
  for (int step = 1; step <= 5; ++step) {
    history.Record(timeline, UndoKind::MoveDrag);
    Video().clips[0]->start = 800.0 + step * 40.0;
  }
  EXPECT_EQ(history.EntryCount(), 2u);
  history.Undo(timeline);
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{800.0}));
  history.Undo(timeline);
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{0.0}));
  (void)clip;
}

TEST_F(UndoFixture, ADragStepAfterUndoRecordsAnewAndKeepsTheRedoStateUntouched) {
  PlaceClip(Video(), 0.0, 100.0);
  history.Record(timeline, UndoKind::MoveDrag);  // a drag never released
  Video().clips[0]->start = 400.0;
  history.Undo(timeline);
  ASSERT_EQ(VideoStarts(), (std::vector<TimeMs>{0.0}));

  // The same kind again must not be taken as part of the drag undone.
  history.Record(timeline, UndoKind::MoveDrag);
  Video().clips[0]->start = 800.0;
  EXPECT_FALSE(history.CanRedo()) << "the new step kept a redo branch it replaced";
  ASSERT_TRUE(history.CanUndo());
  history.Undo(timeline);
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{0.0}));

  // After Redo too: the next drag step is a step of its own.
  history.Redo(timeline);
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{800.0}));
  history.Record(timeline, UndoKind::MoveDrag);
  Video().clips[0]->start = 1200.0;
  history.Undo(timeline);
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{800.0}));
}

TEST_F(UndoFixture, OnlyEditingKindsRecord) {
  for (std::int32_t kind : {0, 20, 23, -1}) EXPECT_FALSE(history.Record(timeline, kind));
  EXPECT_EQ(history.EntryCount(), 0u);
  // Different drag kinds in a row do not coalesce with each other.
  history.Record(timeline, UndoKind::MoveDrag);
  history.Record(timeline, UndoKind::TrimDrag);
  history.Record(timeline, UndoKind::TrimDrag);
  history.Record(timeline, UndoKind::MoveDrag);
  EXPECT_EQ(history.EntryCount(), 3u);
  // Ordinary kinds record every time.
  history.Record(timeline, UndoKind::SelectClip);
  history.Record(timeline, UndoKind::SelectClip);
  EXPECT_EQ(history.EntryCount(), 5u);
  history.Clear();
  EXPECT_EQ(history.EntryCount(), 0u);
  EXPECT_EQ(history.LastKind(), 0);
  EXPECT_FALSE(history.CanUndo());
}

TEST_F(UndoFixture, StepNamesFollowUndoRedoTheLostBranchAndTheDepth) {
  EXPECT_EQ(history.UndoStepName(), "");
  EXPECT_EQ(history.RedoStepName(), "");
  history.SetDepth(3);
  for (std::int32_t kind : {UndoKind::DropSource, UndoKind::Split, UndoKind::MoveDrag, UndoKind::Cut,
                            UndoKind::Delete}) {
    history.Record(timeline, kind);
  }
  // The first two fell off the front; the rest are named newest first.
  EXPECT_EQ(history.UndoStepName(), "Delete");
  history.Undo(timeline);
  EXPECT_EQ(history.UndoStepName(), "Cut");
  EXPECT_EQ(history.RedoStepName(), "Delete");
  history.Undo(timeline);
  history.Undo(timeline);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.UndoStepName(), "");
  EXPECT_EQ(history.RedoStepName(), "Move");
  history.Redo(timeline);
  EXPECT_EQ(history.UndoStepName(), "Move");
  EXPECT_EQ(history.RedoStepName(), "Cut");
  // A new edit replaces the redo branch and its names.
  history.Record(timeline, UndoKind::TrimDrag);
  EXPECT_EQ(history.UndoStepName(), "Trim");
  EXPECT_EQ(history.RedoStepName(), "");
  history.Clear();
  EXPECT_EQ(history.UndoStepName(), "");
  EXPECT_EQ(UndoKindName(UndoKind::PlaceAddedSource), "Add Clip");
  EXPECT_EQ(UndoKindName(UndoKind::SelectRectangle), UndoKindName(UndoKind::SelectClip));
  EXPECT_EQ(UndoKindName(UndoKind::ClearSelection), "Deselect");
}

TEST_F(UndoFixture, UndoRestoresWorkAreaMarksAndLinks) {
  CFilm& picture = PlaceClip(Video(), 0.0, 400.0, SourceFlags::VideoStream, &source);
  CFilm& sound = PlaceClip(Audio(), 0.0, 400.0, SourceFlags::AudioStream, &source);
  CFilm::Link(picture, sound);
  timeline.marks.emplace_back(120.0);
  history.Record(timeline, UndoKind::Delete);
  timeline.workArea = WorkArea{0.0, 500.0};
  timeline.marks.clear();
  picture.Unlink();
  Audio().clips.clear();

  history.Undo(timeline);
  EXPECT_EQ(timeline.workArea, WorkArea{});
  ASSERT_EQ(timeline.marks.size(), 1u);
  EXPECT_EQ(timeline.marks[0].time, 120.0);
  ASSERT_EQ(Audio().clips.size(), 1u);
  const CFilm& restoredPicture = *Video().clips[0];
  const CFilm& restoredSound = *Audio().clips[0];
  EXPECT_TRUE(restoredPicture.IsLinkedTo(restoredSound));
  EXPECT_TRUE(restoredSound.IsLinkedTo(restoredPicture));
  EXPECT_EQ(restoredPicture.source, &source);  // sources are shared, not copied
  ExpectConsistent();

  history.Redo(timeline);
  EXPECT_EQ(timeline.workArea, (WorkArea{0.0, 500.0}));
  EXPECT_TRUE(Audio().clips.empty());
}

TEST_F(UndoFixture, SnapshotsAreIndependentOfTheLiveState) {
  PlaceClip(Video(), 0.0, 100.0, SourceFlags::VideoStream, &source);
  history.Record(timeline, UndoKind::Delete);
  Video().clips[0]->start = 5000.0;  // an edit after the record must not reach the snapshot
  history.Undo(timeline);
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{0.0}));
}

// Copy, an edit, Undo, Paste: the clipboard must neither grow nor keep home
// tracks of the tracks the restore replaced.
TEST_F(UndoFixture, UndoReplacesTheClipboardWithTheSnapshotsCopy) {
  PlaceClip(Video(), 0.0, 100.0, SourceFlags::VideoStream, &source);
  auto copied = Video().clips[0]->Copy();
  copied->track = &Video();
  timeline.clipboard.push_back(std::move(copied));

  Edit(1000.0);
  history.Undo(timeline);
  ASSERT_EQ(timeline.clipboard.size(), 1u);
  EXPECT_EQ(timeline.clipboard[0]->track, &Video());  // a live track, not a destroyed one
  ExpectConsistent();

  // A paste from the restored clipboard lands on the restored track.
  auto pasted = timeline.clipboard[0]->Copy();
  pasted->start = 3000.0;
  pasted->track->InsertInOrder(std::move(pasted));
  EXPECT_EQ(VideoStarts(), (std::vector<TimeMs>{0.0, 3000.0}));
  ExpectConsistent();
}

TEST_F(UndoFixture, ManyCyclesWithAFullClipboardNeverLeaveStalePointers) {
  for (int i = 0; i < 8; ++i) {
    CFilm& picture = PlaceClip(Video(), i * 200.0, 100.0, SourceFlags::VideoStream, &source);
    CFilm& sound = PlaceClip(Audio(), i * 200.0, 100.0, SourceFlags::AudioStream, &source);
    CFilm::Link(picture, sound);
    for (CFilm* clip : {&picture, &sound}) {
      auto copy = clip->Copy();
      copy->track = clip->track;
      timeline.clipboard.push_back(std::move(copy));
    }
  }
  history.SetDepth(5);
  for (int i = 0; i < 10; ++i) Edit(10000.0 + i * 200.0);
  for (int cycle = 0; cycle < 50; ++cycle) {
    while (history.CanUndo()) history.Undo(timeline);
    ExpectConsistent();
    EXPECT_EQ(timeline.clipboard.size(), 16u);
    while (history.CanRedo()) history.Redo(timeline);
    ExpectConsistent();
    EXPECT_EQ(timeline.clipboard.size(), 16u);
  }
  // Every stored snapshot is sound on its own as well.
  for (const auto& entry : history.Entries()) {
    if (!entry) continue;
    const auto problems = CheckSnapshotConsistency(entry->Snapshot());
    EXPECT_TRUE(problems.empty()) << problems.front();
  }
}

}  // namespace
}  // namespace vantorelle
