// What the project document asks of the main window and its views. The
// document never draws; it tells the views when its data changed wholesale.
#pragma once

#include <cstdint>

#include "model/pixel_rect.h"

namespace vantorelle {

// Which views a repaint request covers.
namespace RedrawMask {
inline constexpr std::uint32_t TrackArea = 2;
inline constexpr std::uint32_t ClipCollection = 4;
inline constexpr std::uint32_t Ruler = 8;
inline constexpr std::uint32_t TrackHeaders = 16;
inline constexpr std::uint32_t All = TrackArea | ClipCollection | Ruler | TrackHeaders;
}  // namespace RedrawMask

class IDocumentViews {
 public:
  virtual ~IDocumentViews() = default;

  // The play components opened for the sources are released.
  virtual void ReleaseMovieMap() = 0;
  virtual void ClearFramePictures() = 0;
  virtual void Repaint(std::uint32_t redrawMask) = 0;
  // The "Project Viewer" bar sizes itself from the number of tracks.
  virtual void TrackCountChanged(int trackCount) = 0;
  virtual void RedrawTrackHeaders() = 0;
  virtual void LayOutTracks(std::int32_t firstVisibleTrack) = 0;
  // The main window takes its default place: 95 % of the desktop work area, centred.
  virtual void PlaceMainWindowByDefault() = 0;
  // The tracks, work area or time mark were replaced: the scroll bar, zoom
  // ladder, ruler, work area and playback engine follow the document.
  virtual void FollowDocument() = 0;
};

// The default main-window place: 19/20 of the work area each way (integer
// division), centred in it.
PixelRect DefaultMainWindowRect(const PixelRect& desktopWorkArea);

}  // namespace vantorelle
