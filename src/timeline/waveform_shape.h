// The waveform drawn in an audio clip, as pixel columns: each column shows
// the lowest and highest sample of the stretch of the source that it plays
// (in point to in point + duration), about the middle between the zero line
// and the level line, full scale reaching the level line. So the waveform
// grows and shrinks with the clip's level and follows its fades.
#pragma once

#include <vector>

#include "model/film.h"
#include "model/pixel_rect.h"
#include "playback/waveform_peaks.h"
#include "timeline/level_line.h"
#include "timeline/work_area_view.h"

namespace vantorelle {

struct WaveformColumn {
  int x = 0;
  int top = 0;
  int bottom = 0;  // inclusive: a column is at least one pixel high
};

// Clips that show a waveform: sound clips of an audio track whose file is
// there.
bool ShowsWaveform(const CFilm& clip);

// The columns of box (the clip's inside, right and bottom just outside) that
// lie in the view and whose sound is known; a sound still being measured
// ends where its peaks do.
std::vector<WaveformColumn> ShapeWaveform(const WaveformPeaks& peaks, const CFilm& clip, const WorkAreaView& view,
                                          const LevelLine& levelLine, int zeroY, const PixelRect& box);

}  // namespace vantorelle
