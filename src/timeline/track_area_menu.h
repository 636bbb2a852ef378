// The track area's context menu: which items it offers for the point the
// right button was pressed on, and what each does.
#pragma once

#include <string>
#include <vector>

#include "timeline/clip_editor.h"
#include "timeline/command_hub.h"
#include "timeline/track_area_controller.h"

namespace vantorelle {

class CShortCutTable;

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
  // The items with a command table entry take its names and descriptions.
  void UseCommandTable(const CShortCutTable* table) { table_ = table; }
  // The status bar text while an item is highlighted: the command table's
  // description, else the item's own text; "Ready" without one.
  std::string StatusTextFor(int id) const;
  // The texts of the items without a command table entry; "Ready" for others.
  static std::string StatusText(int id);

 private:
  CVantorelleDoc& doc_;
  ClipEditor& editor_;
  WorkAreaNavigator& navigator_;
  TrackAreaController& area_;
  IClipRequests& requests_;
  const IPlaybackControl* playback_;
  const CShortCutTable* table_ = nullptr;
  int x_ = 0;
  int y_ = 0;
  CFilm* clip_ = nullptr;
  CTrack* track_ = nullptr;
};

}  // namespace vantorelle
