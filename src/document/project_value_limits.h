// The bounds a project's numbers are held to when a file is opened. A damaged
// or hostile file may hold NaN, the infinities, 1e300 or regions near the
// integer limit; such values are clamped (or the clip refused) so that the
// opened document can be scrolled, zoomed, played and saved. Values the
// editor itself writes all lie inside the bounds and are kept as they are.
#pragma once

#include "document/project_file_format.h"

namespace vantorelle {

ProjectSettingsBlock LimitedSettings(ProjectSettingsBlock settings);
// Title regions are kept inside the frame of the current video standard.
ProjectTrackRecord LimitedTrack(ProjectTrackRecord track);
ProjectSourceRecord LimitedSource(ProjectSourceRecord source);
// A clip whose times are no numbers or lie further from 0 than a time field
// can show (100 hours) cannot be placed on a time line and is left out.
bool ClipTimesUsable(const ProjectClipRecord& clip);
ProjectClipRecord LimitedClip(ProjectClipRecord clip);

}  // namespace vantorelle
