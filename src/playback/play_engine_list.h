// What one play hands to the board: the tracks' clips in the play range turned
// into frame-numbered entries, in three lists (audio, video, title). The
// video list is flattened into the single picture output the board has.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/project_times.h"
#include "model/timeline_data.h"
#include "playback/movie_map.h"

namespace vantorelle {

// One play entry. All frame numbers are on the play's frame grid.
struct CPlayTask {
  const CMovieMapItem* movieItem = nullptr;  // borrowed from the movie map
  std::int32_t start = 0;         // frame on the time line
  std::int32_t in = 0;            // frame in the source
  std::int32_t length = 0;        // frames
  std::int32_t sourceLength = 0;  // frames of the whole source; 0 sets no limit
  const CTrack* trackKey = nullptr;
  std::string fileName;           // the movie map key
  std::string entryText;          // the entry's number, for traces
  double level = 1.0;
  TimeMs fadeIn = 0.0;
  TimeMs fadeOut = 0.0;
  // Holds the span of a clip whose file is offline: the board shows black
  // there, and no lower track's clip takes the span.
  bool blank = false;
  // A picture with transparent parts: laid over what the tracks below show.
  bool transparent = false;

  std::int32_t End() const { return start + length; }
  // Cuts the entry to [a, b], never past the end of its source.
  void Trim(std::int32_t a, std::int32_t b);
};

struct CPlayList {
  std::vector<CPlayTask> audioList;
  std::vector<CPlayTask> videoList;
  std::vector<CPlayTask> titleList;
  // Pictures with transparency, one at a time, shown over the video list
  // where no opaque picture of a track above them covers them.
  std::vector<CPlayTask> overlayList;
  std::int32_t startFrame = 0;
  std::int32_t endFrame = 0;
  double frameDelta = 40.0;
  TimeMs playFrom = 0.0;
  TimeMs playTo = 0.0;
  const CMovieMap* movieMap = nullptr;
  // The audio tracks of the play, each once, in list order.
  std::vector<const CTrack*> audioTrackKeys;

  bool Empty() const {
    return audioList.empty() && videoList.empty() && titleList.empty() && overlayList.empty();
  }
};

// Round as the play grid does: add 0.5 and truncate.
std::int32_t PlayRound(double value);

// Tracks that play: shown, holding clips, and not muted (or, while some shown
// track is solo, solo themselves). In track order.
std::vector<const CTrack*> IncludedTracks(const CTimelineData& timeline);

struct PlayRange {
  TimeMs from = 0.0;
  TimeMs to = -1.0;
  bool Playable() const { return from < to; }
};

// Where a play of the project starts and ends, from the time mark, the range
// and the included tracks' clips.
PlayRange ComputePlayRange(const CTimelineData& timeline, const ProjectTimes& times);

// The entry a clip gives on a play grid; none when the clip has no source, its
// source is offline or not in the movie map (or lacks the component its track
// plays).
std::optional<CPlayTask> MakePlayTask(const CFilm& clip, const CTrack& track, double frameDelta,
                                      const CMovieMap& map);

// The lists of a play of [from, to] over the tracks, shaped for the board:
// one video output with gaps filled from lower tracks, audio and title
// entries cut to the play. A frame delta of 0 counts as 40 ms. None when
// nothing plays (no entry, or Pillarcast compatibility on).
std::optional<CPlayList> BuildPlayList(const std::vector<const CTrack*>& tracks, TimeMs from, TimeMs to,
                                       double frameDelta, const CMovieMap& map, bool pillarcastCompatible);

// The same for a play of one clip: the clip alone, muted track or not. A
// title entry starts at the image's first pixel.
std::optional<CPlayList> BuildClipPlayList(const CFilm& clip, TimeMs from, TimeMs to, double frameDelta,
                                           const CMovieMap& map, bool pillarcastCompatible);

// The shaping steps on their own, for lists built by hand.
void ArrangeVideoList(CPlayList& list);
void ArrangeAudioAndTitleLists(CPlayList& list);

}  // namespace vantorelle
