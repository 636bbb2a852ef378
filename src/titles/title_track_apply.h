// Applying the title track settings to a project: the title tracks become
// the records' tracks, in record order at the end of the track list, and the
// clips of movable titles follow their tracks' new speed and direction.
#pragma once

#include <vector>

#include "model/timeline_data.h"
#include "titles/title_track_record.h"

namespace vantorelle {

class CVantorelleDoc;

// A record made from a title track of this timeline gives that track its
// settings; any other record makes a new track, shown when newTracksShown.
// Title tracks no record names are destroyed, except one that holds clips:
// a track is never destroyed with its clips, so such a track stays, after
// the records' tracks. A track named by two records takes the first one's
// settings only. Every movable title track is then re-timed.
void ReplaceTitleTracks(CTimelineData& timeline, const std::vector<TitleTrackRecord>& records,
                        bool newTracksShown);

// The same on the document, which cannot be undone: the clipboard and the
// undo history are emptied, the project becomes modified and the views lay
// the tracks out again and redraw.
void ApplyTitleTrackRecords(CVantorelleDoc& doc, const std::vector<TitleTrackRecord>& records,
                            bool newTracksShown);

}  // namespace vantorelle
