// What the track area draws, worked out without a toolkit: the rows of the
// laid-out tracks, each clip's rectangle with its fade handles and level
// line, the outlines of a pending placement, the rubber band, the
// current-time line and the line of the snap point a drag is drawn to. The
// widget only paints these shapes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/vantorelle_doc.h"
#include "timeline/level_line.h"
#include "timeline/track_area_controller.h"

namespace vantorelle {

struct ClipPicture {
  const CFilm* clip = nullptr;
  PixelRect rect;  // from the lead-in start to the end, over the row
  bool selected = false;
  ColourRef outline = 0;
  ColourRef fill = 0;
  std::string name;
  // Audio and slide title clips wider than 8 pixels.
  bool hasFadeHandles = false;
  PixelRect fadeInHandle;
  PixelRect fadeOutHandle;
  int volumeLineY = -1;  // audio clips; -1 for none
  // How far the clip has slipped from its linked partners ("+2:000"), in
  // the time display format; empty while they are in step.
  std::string syncOffset;
  LevelLine levelLine;   // audio clips: the level bending over the fades
};

struct RowPicture {
  const CTrack* track = nullptr;
  PixelRect rect;
  std::vector<ClipPicture> clips;
};

struct TrackAreaPicture {
  std::vector<RowPicture> rows;
  PixelRect emptyBelow;                     // filled with the background
  std::vector<PixelRect> placementOutlines;  // where a dragged source would go
  std::optional<PixelRect> selectionRectangle;
  std::optional<int> currentTimeX;          // when the time mark is in the work area
  std::optional<int> snapLineX;             // while a drag is drawn to a snap point in view
};

// The label of a clip out of step with its partners by offset: a sign and
// the offset in the time display format; empty for no offset.
std::string SyncOffsetLabel(TimeMs offset, std::int32_t timeDisplayMode);

TrackAreaPicture PictureTrackArea(const CVantorelleDoc& doc, const TrackAreaController& area, int width, int height);

}  // namespace vantorelle
