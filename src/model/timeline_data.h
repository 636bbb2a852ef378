// What undo snapshots capture of a project: the work area, the tracks with
// their clips, the marks and the clip clipboard; and the queries editing
// makes over them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/mark.h"
#include "model/track.h"
#include "model/video_format.h"
#include "model/work_area.h"

namespace vantorelle {

class CTimelineData {
 public:
  CTimelineData() = default;
  CTimelineData(const CTimelineData&) = delete;
  CTimelineData& operator=(const CTimelineData&) = delete;
  CTimelineData(CTimelineData&&) = default;
  CTimelineData& operator=(CTimelineData&&) = default;

  // A deep copy: copied clips are linked as the clips they copy, clipboard
  // copies keep the copied track of their home track, and no copy points at
  // a clip or track of the original. Sources are shared.
  CTimelineData Copy() const;

  WorkArea workArea;
  std::vector<std::unique_ptr<CTrack>> tracks;  // grouped by kind, in kind order
  std::vector<CUMark> marks;                    // in the order they were made
  // Copies made by Copy and Cut. Each keeps in `track` its home track, the
  // track it was copied from, which does not own it; copies are linked to
  // each other as the clips they copy were, never to clips on the tracks.
  std::vector<std::unique_ptr<CFilm>> clipboard;
  // Set only once the open project's format was changed: the format these
  // clips were put on the grid of, so undo and redo bring it back with them.
  std::optional<VideoFormat> format;

  std::vector<CTrack*> TracksOfType(TrackType type) const;
  std::vector<CTrack*> ShownTracks() const;
  int CountInGroup(TrackType group) const;
  int ClipCount() const;
  // Each source's usage count becomes the number of track clips that use it.
  void RecountSourceUsage(const std::vector<CSrc*>& sources) const;
  void DeselectAll();
  void SelectClipsOf(const CSrc& source);
  void SetShownTracksHeight(std::int32_t height);
  // Movie picture clips on video tracks: while there are any, new movies
  // must have the project's frame size.
  int CountMoviePictureClips() const;

  // A track of the same type as the clip's where it fits, trying the tracks
  // after its own first and its own never.
  CTrack* FindFreeTrack(const CFilm& clip) const;
  // The same over the tracks whose type shares a bit with mask, starting
  // after the given track.
  CTrack* FindFreeTrack(const CFilm& clip, TrackType mask, const CTrack* after) const;

  // Play states. The header's upper (solo) and lower (mute) buttons toggle
  // their state, or switch a track in the other state straight over; the
  // menu sets a state outright. A track that turns solo while solo is
  // exclusive turns every other solo track back to normal.
  void PressSoloButton(CTrack& track, bool exclusiveSolo);
  void PressMuteButton(CTrack& track);
  void SetSolo(CTrack& track, bool exclusiveSolo);
  void SetMute(CTrack& track);
  // Every track back to normal; false when all were normal already.
  bool ResetPlayStates();
  // A shown track is solo (only shown video tracks count when pictures alone matter).
  bool SoloPresent(bool picturesOnly = false) const;

  // The clips of shown tracks whose extent (rows top to bottom inclusive)
  // meets the rectangle: the rubber-band selection.
  std::vector<CFilm*> ClipsMeeting(const PixelRect& band, const TimePixelMapping& view) const;

  // Inserts before the first track of a later kind. Returns the track.
  CTrack& AddTrackInKindOrder(std::unique_ptr<CTrack> track);
  // The six tracks of a new project.
  void MakeDefaultTracks();
};

// Everything that must hold after any edit; empty when the timeline is sound.
// Clipboard clips must have a home track of this timeline and may be linked
// only to each other.
// Usage counts are checked for every source a clip uses, and for the given
// sources (the Clip Collection's) also when no clip uses them.
std::vector<std::string> CheckTimelineConsistency(const CTimelineData& timeline,
                                                  const std::vector<const CSrc*>& sources = {});
// The same for an undo snapshot, whose usage counts are those of the live
// timeline and so are not checked.
std::vector<std::string> CheckSnapshotConsistency(const CTimelineData& snapshot);
// The same over some tracks on their own, as if they were the whole timeline.
std::vector<std::string> CheckTracksConsistency(const std::vector<const CTrack*>& tracks,
                                                const std::vector<const CSrc*>& sources = {});

}  // namespace vantorelle
