#include "timeline/project_format_change.h"

#include <algorithm>

#include "timeline/undo_history.h"

namespace vantorelle {

void SnapClipToNearestFrames(CFilm& clip) {
  const TimeMs start = SnapToFrameNearest(clip.start);
  const TimeMs end = std::max(SnapToFrameNearest(clip.start + clip.duration),
                              start + SnappingFrameLength());
  clip.inPoint = SnapToFrameNearest(clip.inPoint);
  clip.start = start;
  clip.duration = end - start;
  clip.LimitFades();
}

bool ChangeProjectFormat(CVantorelleDoc& doc, const VideoFormat& format) {
  if (format == doc.Format()) return false;
  // The step before holds the old format with the clips as they were.
  doc.timeline.format = doc.Format();
  doc.RecordUndo(UndoKind::ChangeFormat);
  doc.SwitchFormat(format);
  doc.timeline.format = format;
  for (const auto& track : doc.timeline.tracks) {
    for (const auto& clip : track->clips) SnapClipToNearestFrames(*clip);
  }
  doc.times.timeMark = SnapToFrameFloor(doc.times.timeMark);
  doc.times.rangeStart = SnapToFrameNearest(doc.times.rangeStart);
  doc.times.rangeStop = SnapToFrameNearest(doc.times.rangeStop);
  doc.SetModified(true);
  return true;
}

}  // namespace vantorelle
