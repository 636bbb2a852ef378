// How a sound clip shows its sound: the waveform behind its level line, and
// the level line itself, bent over the fades. The shapes come from the core
// (timeline/waveform_shape.h, timeline/level_line.h); this only paints them.
#pragma once

#include <QColor>

#include "timeline/track_area_picture.h"

class QPainter;

namespace vantorelle {
class PeakStore;
}

namespace vantorelle::shell {

inline const QColor kLevelLine(255, 220, 0);

// The waveform's colour in a clip of that fill.
QColor WaveformColour(const QColor& fill);

// Nothing while the clip's peaks are not known yet (the store is asked for
// them and the view repaints as they come).
void DrawClipWaveform(QPainter& painter, const ClipPicture& clip, const WorkAreaView& view, PeakStore& peaks);

void DrawLevelLine(QPainter& painter, const ClipPicture& clip);

}  // namespace vantorelle::shell
