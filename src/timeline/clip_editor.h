// The editing commands of the track area that work on whole clips: the
// selection, Delete, Cut, Copy, Paste, Insert, Split, Repeat and the range
// from a clip. Each edit records its undo kind before it changes anything
// and a refused edit changes nothing at all.
#pragma once

#include <string>

#include "document/vantorelle_doc.h"

namespace vantorelle {

// Insert and Repeat treat 24 hours as the end of all time.
inline constexpr TimeMs kEndOfTime = 86'400'000.0;

class ClipEditor {
 public:
  ClipEditor(CVantorelleDoc& doc, IUserInterface& ui) : doc_(doc), ui_(ui) {}

  // Selection: none of these records an undo step. Select all and Invert
  // act on shown tracks only.
  void SelectAll();
  void DeselectAll();
  void InvertSelection();
  void SelectSourceFileInProject(const CFilm& clip);
  bool AnySelected() const;
  // True when every clip of the project is a selected clip of a shown track:
  // a clip on a hidden track leaves something for Select all to do.
  bool AllClipsSelectedAndShown() const;

  // Answer whether anything changed.
  bool Delete();
  bool DeleteClip(CFilm& clip);
  // The clipboard gets copies track by track, each track's clips from the
  // last to the first; each copy remembers its home track, and copies of
  // linked clips stay linked to each other. The one-clip commands (Delete
  // clip, Copy clip, Cut clip, Split clip) take the clip's linked partners
  // along, so picture and sound stay together.
  void Copy();
  void CopyClip(CFilm& clip);
  bool Cut();
  bool CutClip(CFilm& clip);
  // At time t; copies keep their offsets from the earliest one.
  bool Paste(TimeMs t);
  // Opens a gap as long as the clipboard's span at t on every track.
  bool Insert(TimeMs t);
  // Every clip with the time mark strictly inside it, except movable titles.
  bool Split(TimeMs t);
  // One clip at a time on the frame grid, when that lies inside it.
  bool SplitClip(CFilm& clip, TimeMs mouseTime);
  static bool CanSplitClip(const CFilm& clip, TimeMs mouseTime);

  void SetRangeToClip(const CFilm& clip);
  void ExpandRangeToClip(const CFilm& clip);

 private:
  void RemoveClip(CFilm& clip);

  CVantorelleDoc& doc_;
  IUserInterface& ui_;
};

// How many copies of a clip fit between its end and the next clip on its
// track (or the end of all time).
int RepeatFitCount(const CFilm& clip);

// The "Repeat Clip" dialog: the copy count (1 … what fits) and the pause.
class RepeatClipDialog {
 public:
  RepeatClipDialog(const CFilm& clip, std::int32_t lastCount);

  int MaximumCount() const { return maximum_; }
  int Count() const { return count_; }
  TimeMs Pause() const { return pause_; }
  // Counts are clamped into 1 … maximum; the pause is not negative and
  // cannot push the copies past what fits.
  void SetCount(int count);
  void SetPause(TimeMs pause);
  // Where the last copy ends.
  TimeMs ResultEnd() const;
  // OK: records the undo step, places the copies, grows the project and
  // keeps the count for next time.
  void Apply(CVantorelleDoc& doc, CFilm& clip) const;

 private:
  TimeMs clipEnd_;
  TimeMs duration_;
  TimeMs nextStart_;
  int maximum_;
  int count_;
  TimeMs pause_ = 0.0;
};

inline constexpr const char* kPasteRefusal = "The target range is occupied by another clip(s)";
inline constexpr const char* kPasteRefusalCaption = "Can't paste the clipboard contents";
inline constexpr const char* kInsertRefusal = "Can't insert clip(s) in this location";
inline constexpr const char* kInsertRefusalCaption = "Clip inserting";

}  // namespace vantorelle
