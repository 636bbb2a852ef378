#include "timeline/undo_history.h"

#include <algorithm>

namespace vantorelle {

namespace {

bool IsRecordedKind(std::int32_t kind) {
  return (kind >= 1 && kind <= 19) || kind == UndoKind::MoveDrag || kind == UndoKind::TrimDrag;
}

bool IsCoalescedKind(std::int32_t kind) { return kind == UndoKind::MoveDrag || kind == UndoKind::TrimDrag; }

}  // namespace

std::string UndoKindName(std::int32_t kind) {
  switch (kind) {
    case UndoKind::PlaceAddedSource: return "Add Clip";
    case UndoKind::DropSource: return "Drop Clip";
    case UndoKind::Delete: return "Delete";
    case UndoKind::CutClip: return "Cut clip";
    case UndoKind::Cut: return "Cut";
    case UndoKind::Insert: return "Insert";
    case UndoKind::Paste: return "Paste";
    case UndoKind::RepeatClip: return "Repeat clip";
    case UndoKind::Split: return "Split clip";
    case UndoKind::ChangeFormat: return "Format change";
    case UndoKind::SelectRectangle:
    case UndoKind::SelectClip: return "Select";
    case UndoKind::ClearSelection: return "Deselect";
    case UndoKind::MoveDrag: return "Move";
    case UndoKind::TrimDrag: return "Trim";
    default: return "Edit";
  }
}

bool CUndoHistory::Record(const CTimelineData& timeline, std::int32_t kind) {
  if (!IsRecordedKind(kind)) return false;
  if (IsCoalescedKind(kind) && kind == lastKind_) return true;
  auto entry = std::make_unique<CUndoEntry>(timeline.Copy());
  lastKind_ = kind;
  // A lowered depth may leave more entries behind than it allows.
  while (position_ >= depth_ && position_ > 0) {
    entries_.erase(entries_.begin());
    if (!stepKinds_.empty()) stepKinds_.erase(stepKinds_.begin());
    --position_;
  }
  entries_.resize(static_cast<std::size_t>(position_));  // the redo branch is lost
  stepKinds_.resize(static_cast<std::size_t>(position_));
  entries_.push_back(std::move(entry));
  stepKinds_.push_back(kind);
  ++position_;
  return true;
}

bool CUndoHistory::Swap(CTimelineData& timeline, std::int32_t target) {
  const auto from = static_cast<std::size_t>(position_);
  const auto to = static_cast<std::size_t>(target);
  // A missing snapshot restores nothing.
  if (to >= entries_.size() || !entries_[to]) return false;
  auto current = std::make_unique<CUndoEntry>(std::move(timeline));
  if (from < entries_.size()) {
    entries_[from] = std::move(current);
  } else {
    entries_.push_back(std::move(current));
  }
  // The clipboard comes with the snapshot: its clips' home tracks are the
  // restored tracks, never tracks of the state just left.
  timeline = entries_[to]->TakeSnapshot();
  entries_[to].reset();
  position_ = target;
  // A drag's record belongs to the state just left: the next drag step
  // records anew instead of joining the restored state.
  lastKind_ = 0;
  return true;
}

void CUndoHistory::Undo(CTimelineData& timeline) {
  if (CanUndo()) Swap(timeline, position_ - 1);
}

void CUndoHistory::Redo(CTimelineData& timeline) {
  if (CanRedo()) Swap(timeline, position_ + 1);
}

std::string CUndoHistory::UndoStepName() const {
  if (!CanUndo() || static_cast<std::size_t>(position_) > stepKinds_.size()) return {};
  return UndoKindName(stepKinds_[static_cast<std::size_t>(position_ - 1)]);
}

std::string CUndoHistory::RedoStepName() const {
  if (!CanRedo() || static_cast<std::size_t>(position_) >= stepKinds_.size()) return {};
  return UndoKindName(stepKinds_[static_cast<std::size_t>(position_)]);
}

void CUndoHistory::Clear() {
  entries_.clear();
  stepKinds_.clear();
  position_ = 0;
  lastKind_ = 0;
}

void CUndoHistory::SetDepth(std::int32_t depth) { depth_ = std::max(depth, 1); }

}  // namespace vantorelle
