// Changing the format of the open project (Screen size settings): the
// running format switches, every clip keeps its place in milliseconds but
// lands on the new frame grid, and one undo step brings back both.
#pragma once

#include "document/vantorelle_doc.h"
#include "model/video_format.h"

namespace vantorelle {

// Start, end and in point go to the nearest frame of the running standard,
// so the out point lands on the grid too and clips that met still meet. A
// clip never shrinks below one frame.
void SnapClipToNearestFrames(CFilm& clip);

// Nothing happens (false) when the format is the one in force. Otherwise
// records one undo step, switches the format and snaps every clip on the
// tracks, the time mark and the range; the project is modified.
bool ChangeProjectFormat(CVantorelleDoc& doc, const VideoFormat& format);

}  // namespace vantorelle
