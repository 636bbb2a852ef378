// Undo and redo by whole snapshots of the timeline data. Before an edit
// changes the timeline it records a snapshot with its undo action kind;
// Undo and Redo swap the live data with a stored snapshot. The swap moves
// whole track lists, so it costs no copy; pointers that views hold into the
// live tracks, clips or clipboard are stale after it, as after any restore.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/timeline_data.h"

namespace vantorelle {

// The undo action kinds of the editing operations. Only the value matters:
// a mouse move or trim drag records once however often it changes clips.
namespace UndoKind {
inline constexpr std::int32_t PlaceAddedSource = 1;
inline constexpr std::int32_t DropSource = 2;
inline constexpr std::int32_t Delete = 4;
inline constexpr std::int32_t CutClip = 5;
inline constexpr std::int32_t Cut = 6;
inline constexpr std::int32_t Insert = 7;
inline constexpr std::int32_t Paste = 8;
inline constexpr std::int32_t RepeatClip = 9;
inline constexpr std::int32_t Split = 10;
inline constexpr std::int32_t ChangeFormat = 11;
inline constexpr std::int32_t SelectRectangle = 17;
inline constexpr std::int32_t SelectClip = 18;
inline constexpr std::int32_t ClearSelection = 19;
inline constexpr std::int32_t MoveDrag = 21;
inline constexpr std::int32_t TrimDrag = 22;
}  // namespace UndoKind

// What the Edit menu calls a step of a kind: "Split clip" for Undo Split
// clip. Kinds that no edit records are called "Edit".
std::string UndoKindName(std::int32_t kind);

// One stored state of the timeline: a deep copy whose clips share the live
// clips' sources.
class CUndoEntry {
 public:
  explicit CUndoEntry(CTimelineData snapshot) : snapshot_(std::move(snapshot)) {}
  const CTimelineData& Snapshot() const { return snapshot_; }
  CTimelineData TakeSnapshot() { return std::move(snapshot_); }

 private:
  CTimelineData snapshot_;
};

class CUndoHistory {
 public:
  static constexpr std::int32_t kDefaultDepth = 100;

  // Called before the change. Kinds 1–19 always record; the drag kinds 21
  // and 22 only when the last record was of another kind; others never.
  // Answers whether the call belongs to an edit (a record made or coalesced).
  bool Record(const CTimelineData& timeline, std::int32_t kind);
  // Only when CanUndo / CanRedo: the callers' enable rules guarantee it.
  void Undo(CTimelineData& timeline);
  void Redo(CTimelineData& timeline);
  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < static_cast<std::int32_t>(entries_.size()) - 1; }
  // The stored snapshots, oldest first; the slot of the live state is null.
  const std::vector<std::unique_ptr<CUndoEntry>>& Entries() const { return entries_; }
  // A drag has ended: the next drag records again.
  void ResetCoalescing() { lastKind_ = 0; }
  void Clear();
  // Depths below 1 are taken as 1. Entries beyond a lowered depth go at the
  // next record.
  void SetDepth(std::int32_t depth);

  std::int32_t Depth() const { return depth_; }
  std::int32_t Position() const { return position_; }
  std::size_t EntryCount() const { return entries_.size(); }
  std::int32_t LastKind() const { return lastKind_; }
  // The name of the step Undo would take back and the one Redo would bring
  // back; empty when there is none.
  std::string UndoStepName() const;
  std::string RedoStepName() const;

 private:
  // The live state goes into the slot at the position (what Undo or Redo
  // returns to) and the target's snapshot becomes the live state. The
  // target's slot is left empty: whatever comes next (Undo, Redo or a
  // record) fills or drops it unread.
  bool Swap(CTimelineData& timeline, std::int32_t target);

  std::int32_t depth_ = kDefaultDepth;
  std::vector<std::unique_ptr<CUndoEntry>> entries_;
  // The kind of the edit that led from the state at each index to the next
  // one. Swaps leave it alone: the steps stay what they were.
  std::vector<std::int32_t> stepKinds_;
  std::int32_t position_ = 0;
  std::int32_t lastKind_ = 0;
};

}  // namespace vantorelle
