// Clip edits that replace or add clips on their track: splitting a clip in
// two and repeating it after itself.
#pragma once

#include <memory>
#include <utility>
#include <vector>

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

// Splits each clip at t as SplitClipAt does, keeping picture and sound
// together: the halves of two linked clips are linked first to first and
// second to second, and a partner left whole stays linked to the half on
// its side of t. Returns the halves in the order of the clips (null where a
// clip was not split); a clip named twice is split once.
std::vector<SplitHalves> SplitClipsKeepingLinks(const std::vector<CFilm*>& clips, TimeMs t);

// Links each copy to the copies of the clips its original is linked to;
// copies[i] copies originals[i]. Links to clips without a copy are dropped.
void LinkLikeOriginals(const std::vector<const CFilm*>& originals, const std::vector<CFilm*>& copies);

// Copies of the clips, linked to each other as the clips are.
std::vector<std::unique_ptr<CFilm>> CopyKeepingLinks(const std::vector<const CFilm*>& clips);

// Places count copies after the clip, each after a pause; the copies are not
// linked and no collision test is made. Returns the project size, grown to
// the end of the last copy where that lies beyond it.
TimeMs RepeatClip(const CFilm& clip, int count, TimeMs pause, TimeMs projectSize);

}  // namespace vantorelle
