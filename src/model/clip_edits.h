// Clip edits that replace or add clips on their track: splitting a clip in
// two and repeating it after itself.
#pragma once

#include <utility>

#include "model/track.h"

namespace vantorelle {

struct SplitHalves {
  CFilm* first = nullptr;
  CFilm* second = nullptr;
};

// Splits a clip on its track at t, strictly inside it: the clip is unlinked
// and destroyed, two unlinked, unselected halves take its place. Nothing
// happens (halves null) at or outside its ends, off a track, or on a
// movable title track.
SplitHalves SplitClipAt(CFilm& clip, TimeMs t);

// Places count copies after the clip, each after a pause; the copies are not
// linked and no collision test is made. Returns the project size, grown to
// the end of the last copy where that lies beyond it.
TimeMs RepeatClip(const CFilm& clip, int count, TimeMs pause, TimeMs projectSize);

}  // namespace vantorelle
