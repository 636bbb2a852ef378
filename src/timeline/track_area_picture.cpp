#include "timeline/track_area_picture.h"

#include <algorithm>
#include <cmath>

#include "timeline/fade_handles.h"
#include "timeline/track_rows.h"

namespace vantorelle {

std::string SyncOffsetLabel(TimeMs offset, std::int32_t timeDisplayMode) {
  if (offset == 0.0) return {};
  return (offset > 0.0 ? "+" : "-") + FormatTimeDisplay(std::abs(offset), timeDisplayMode);
}

TrackAreaPicture PictureTrackArea(const CVantorelleDoc& doc, const TrackAreaController& area, int width, int height) {
  TrackAreaPicture picture;
  const WorkAreaView view(doc.timeline.workArea, width);
  int lastBottom = 0;
  for (CTrack* track : LaidOutTracks(doc.timeline)) {
    RowPicture row;
    row.track = track;
    row.rect = PixelRect{0, track->top, width, track->bottom};
    lastBottom = std::max(lastBottom, track->bottom);
    const int colour = ClipColours::IndexOfKind(track->Kind());
    for (const auto& clip : track->clips) {
      ClipPicture drawn;
      drawn.clip = clip.get();
      drawn.rect = PixelRect{view.TimeToPixel(clip->LeadInStart()), track->top, view.TimeToPixel(clip->End()),
                             track->bottom};
      if (drawn.rect.right < 0 || drawn.rect.left > width) continue;  // outside the view
      drawn.selected = clip->IsSelected();
      if (colour >= 0) {
        drawn.outline = doc.colours.outline[static_cast<std::size_t>(colour)];
        drawn.fill = doc.colours.fill[static_cast<std::size_t>(colour)];
      }
      drawn.name = clip->name;
      const int lineY = clip->VolumeLineY(track->bottom, track->height);
      if ((track->Kind() & TrackKind::FadingKinds) && drawn.rect.right - drawn.rect.left > 8) {
        drawn.hasFadeHandles = true;
        drawn.fadeInHandle = FadeHandleSquare(view.TimeToPixel(clip->start + clip->EffectiveFadeIn()), lineY);
        drawn.fadeOutHandle = FadeHandleSquare(view.TimeToPixel(clip->End() - clip->EffectiveFadeOut()), lineY);
      }
      if (track->Kind() == TrackKind::Audio) {
        drawn.volumeLineY = lineY;
        drawn.levelLine = LevelLineOf(*clip, view, track->bottom, track->height);
      }
      drawn.syncOffset = SyncOffsetLabel(clip->SyncOffset(), doc.preferences.timeDisplayMode);
      row.clips.push_back(std::move(drawn));
    }
    picture.rows.push_back(std::move(row));
  }
  picture.emptyBelow = PixelRect{0, lastBottom, width, std::max(lastBottom, height)};
  for (const PlacementTarget& target : area.PlacementTargets()) {
    if (target.track->bottom <= target.track->top) continue;
    picture.placementOutlines.push_back(PixelRect{view.TimeToPixel(target.start), target.track->top,
                                                  view.TimeToPixel(target.start + target.duration),
                                                  target.track->bottom});
  }
  picture.selectionRectangle = area.SelectionRectangle();
  const TimeMs mark = doc.times.timeMark;
  if (mark >= doc.timeline.workArea.start && mark <= doc.timeline.workArea.stop) {
    picture.currentTimeX = view.TimeToPixel(mark);
  }
  const std::optional<TimeMs> snap = area.SnapLine();
  if (snap && *snap >= doc.timeline.workArea.start && *snap <= doc.timeline.workArea.stop) {
    picture.snapLineX = view.TimeToPixel(*snap);
  }
  return picture;
}

}  // namespace vantorelle
