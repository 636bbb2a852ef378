// The track area's context menu: which items it offers for the point the
// right button was pressed on, and what each does.
#pragma once

#include <string>
#include <vector>

#include "timeline/clip_editor.h"
#include "timeline/command_hub.h"
#include "timeline/track_area_controller.h"

namespace vantorelle {

// What the menu opens for one clip; the shell provides it.
class IClipRequests {
 public:
  virtual ~IClipRequests() = default;
  virtual void OpenClipProperties(CFilm& clip) = 0;
  virtual void OpenTitleTrackSettings(CTrack& track) = 0;
  virtual void PlayClip(CFilm& clip) = 0;
  // "Add source file...": choose a file; its placement then waits for a click.
  virtual void AddSourceFileAt(int x, int y) = 0;
  // "Repeat clip...": the person sets the count and pause; false cancels.
  virtual bool AskRepeatClip(RepeatClipDialog&) { return true; }
};

class TrackAreaMenu {
 public:
  TrackAreaMenu(CVantorelleDoc& doc, ClipEditor& editor, WorkAreaNavigator& navigator, TrackAreaController& area,
                IClipRequests& requests, const IPlaybackControl* playback = nullptr);

  // Empty when no menu opens there (outside the rows, a button held or a
  // placement pending).
  std::vector<MenuItem> Open(const MouseEvent& event);
  bool Execute(int id);
  // The status bar text while an item is highlighted; "Ready" without one.
  static std::string StatusText(int id);

 private:
  CVantorelleDoc& doc_;
  ClipEditor& editor_;
  WorkAreaNavigator& navigator_;
  TrackAreaController& area_;
  IClipRequests& requests_;
  const IPlaybackControl* playback_;
  int x_ = 0;
  int y_ = 0;
  CFilm* clip_ = nullptr;
  CTrack* track_ = nullptr;
};

}  // namespace vantorelle
