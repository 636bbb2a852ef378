// A clip: one placed use of a source file on one track — where it plays on
// the project time line, which stretch of the source it plays, how it fades
// and how loud it is. Clips made together from one movie stay linked, both
// ways.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/pixel_rect.h"
#include "model/source_flags.h"
#include "model/src.h"
#include "model/time_base.h"
#include "model/time_pixel_mapping.h"

namespace vantorelle {

class CTrack;

class CFilm {
 public:
  CFilm() = default;
  // A clip of the whole source: source length = duration = its duration.
  explicit CFilm(CSrc* source);
  ~CFilm() = default;
  // Copies use Copy(): a copy never shares the original's links.
  CFilm(const CFilm&) = delete;
  CFilm& operator=(const CFilm&) = delete;

  // Everything but the links and the number.
  std::unique_ptr<CFilm> Copy() const;

  TimeMs End() const { return start + duration; }
  TimeMs OutPoint() const { return inPoint + duration; }
  // Where views draw and hit-test the clip from: a movable title shows while
  // it travels in, so from its track's lead-in before its start.
  TimeMs LeadInStart() const;
  bool IsSelected() const { return selection != 0; }

  // Puts start and duration on the frame grid; a movie clip keeps its
  // picture where it was on the time line and snaps its in point first.
  void SnapToFrames();
  void SnapLinkedClips();
  // A fade longer than the clip is dropped; one as long as the clip stays.
  void LimitFades();
  // After fade out changed: fade in gives way so both fit the clip; after
  // fade in changed, fade out does. Only clips on fading tracks (audio,
  // slide title) are touched; the view measures the 3-pixel remainder.
  void FitFadeInToFadeOut(const TimePixelMapping& view);
  void FitFadeOutToFadeIn(const TimePixelMapping& view);
  // Fades and level as played: the track's values where the clip borrows them.
  TimeMs EffectiveFadeIn() const;
  TimeMs EffectiveFadeOut() const;
  double EffectiveLevel() const;
  void SelectLinkedClips();
  // The other clips of the track just before and after this one; none
  // (null) off a track or at its ends.
  struct NeighbourClips {
    const CFilm* previous = nullptr;
    const CFilm* next = nullptr;
  };
  NeighbourClips Neighbours() const;
  // Removes this clip from every partner's links (every entry of it) and
  // empties its own.
  void Unlink();
  // Makes a and b linked to each other (no entry is added twice).
  static void Link(CFilm& a, CFilm& b);
  bool IsLinkedTo(const CFilm& other) const;
  // How much later than its linked clips this clip plays the same moment of
  // the source: (start − in point) against the first partner's that differs;
  // 0 while every partner is in step. A picture dragged 2 s away from its
  // sound gives +2000 on the picture and −2000 on the sound.
  TimeMs SyncOffset() const;

  // The clip's rectangle in a track area, from its lead-in start to its end
  // and over its track's rows; what a view repaints after an edit.
  PixelRect ExtentIn(const TimePixelMapping& view) const;

  // Pixels above the clip's bottom minus 2 at which the level line is drawn.
  int VolumeLineHeight(int trackHeight) const;
  // The y of the level line in a row from trackBottom up trackHeight pixels.
  int VolumeLineY(int trackBottom, int trackHeight) const { return trackBottom - 2 - VolumeLineHeight(trackHeight); }

  // Fields, in the order the project file writes them.
  CSrc* source = nullptr;        // not owned; outlives the clip
  std::vector<CFilm*> links;     // not owned; every link is mutual
  std::int32_t selection = 0;    // 0 "None", 1 "Selected"
  std::string name;
  TimeMs sourceLength = 0.0;
  TimeMs start = 0.0;
  TimeMs duration = 0.0;
  TimeMs inPoint = 0.0;
  TimeMs fadeIn = 0.0;
  TimeMs fadeOut = 0.0;
  double volume = 1.0;           // 1.0 = 100 %
  SourceFlagBits flags = 0;
  CTrack* track = nullptr;       // the owning track; null while on none
  std::int32_t useTrackFadeIn = 0;
  std::int32_t useTrackFadeOut = 0;
  std::int32_t number = -1;      // scratch while a project file is written or read
};

}  // namespace vantorelle
