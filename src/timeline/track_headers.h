// The column of track headers beside the track area: one row per shown track
// with its name, kind icon and Solo/Mute buttons. It owns the vertical
// scrolling of the track list, and its double clicks and context menu
// rename tracks, change their play state, move them within their group, set
// their heights and open their properties.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/vantorelle_doc.h"
#include "timeline/track_area_controller.h"
#include "timeline/command_ids.h"
#include "timeline/view_services.h"

namespace vantorelle {

namespace TrackHeight {
inline constexpr std::int32_t Small = 24;
inline constexpr std::int32_t Medium = 48;
inline constexpr std::int32_t Large = 96;
}  // namespace TrackHeight

enum class TrackScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, EndScroll };

// The vertical scroll bar: one step per shown track.
struct TrackScrollRange {
  int minimum = 0;
  int maximum = 0;
  int page = 1;
  int position = 0;
  bool operator==(const TrackScrollRange&) const = default;
};

// What the headers open for a track; the shell provides the dialogs.
class ITrackHeaderRequests {
 public:
  virtual ~ITrackHeaderRequests() = default;
  virtual void OpenAudioTrackProperties(CTrack& track) = 0;
  virtual void OpenTitleTrackSettings(CTrack& track) = 0;
  // The "Track Name" dialog showing the current name; none when cancelled.
  virtual std::optional<std::string> AskTrackName(const std::string& currentName) = 0;
};

// The shell's scroll bar, told whenever its range or position changes.
class ITrackScrollBar {
 public:
  virtual ~ITrackScrollBar() = default;
  virtual void SetTrackScrollRange(const TrackScrollRange& range) = 0;
};

// The description the command table gives a command id, for the status bar
// while a menu item is highlighted. Until the shell sets one, such items show
// the idle text.
using CommandDescriptionLookup = std::function<std::string(int commandId)>;
inline constexpr const char* kIdleStatusText = "Ready";

// One state button as drawn: where it is and whether it shows its state lit.
struct HeaderButtonPicture {
  PixelRect rect;
  bool lit = false;
  std::uint32_t colour = 0;  // 0x00BBGGRR, from the track's button colours
};

struct TrackHeaderRow {
  const CTrack* track = nullptr;
  std::string name;
  TrackType kind = 0;
  int top = 0;
  int bottom = 0;
  PixelRect header;      // the whole row left of the scroll bar
  PixelRect kindIcon;
  PixelRect stateBlock;
  PlayState state = PlayState::Normal;  // as shown, a pressed button included
  HeaderButtonPicture solo;
  HeaderButtonPicture mute;
};

struct TrackHeadersPicture {
  std::vector<TrackHeaderRow> rows;
  PixelRect background;  // below the last row; empty when the rows fill the view
  PixelRect scrollBar;
  TrackScrollRange scrollRange;
};

class CTrackStatusView : public ITrackScroller {
 public:
  static constexpr int kKindIconWidth = 26;
  static constexpr int kKindIconHeight = 24;
  static constexpr int kStateBlockWidth = 30;
  static constexpr int kDefaultScrollBarWidth = 16;

  CTrackStatusView(CVantorelleDoc& doc, IViewHost& host, ITrackHeaderRequests& requests,
                   ITrackScrollBar* scrollBar = nullptr);

  // The width includes the vertical scroll bar at the right edge.
  void SetClientSize(int width, int height);
  void SetScrollBarWidth(int width);
  void SetCommandDescriptions(CommandDescriptionLookup lookup) { describe_ = std::move(lookup); }

  // The first update after the document is attached.
  void OnInitialUpdate() { UpdateScrollRange(); }
  // Range 0 … shown tracks − 1, page 1, at the first visible track (which is
  // pulled back into the range when tracks were hidden).
  TrackScrollRange UpdateScrollRange();
  TrackScrollRange ScrollRange() const;

  void Layout();
  void Layout(int firstVisibleTrack, int viewHeight);
  void OnVScroll(TrackScrollCode code, int thumbPosition = 0);
  // The track area's edge auto-scroll: one line up (-1) or down (+1).
  bool ScrollTracks(int delta) override;

  void OnMouseDown(const MouseEvent& event);
  void OnMouseMove(const MouseEvent& event);
  void OnMouseUp(const MouseEvent& event);
  void OnDoubleClick(const MouseEvent& event);
  bool ButtonPressed() const { return press_.track != nullptr; }

  // Empty when the point is on no header.
  std::vector<MenuItem> OpenContextMenu(int x, int y);
  bool ExecuteMenuCommand(int id);
  // The status bar text while a menu item is highlighted; 0 for none.
  std::string MenuStatusText(int highlightedId) const;

  TrackHeadersPicture Draw();
  CTrack* TrackAt(int y) const;

 private:
  enum class Button { None, Solo, Mute };
  struct Press {
    CTrack* track = nullptr;
    Button button = Button::None;
    PlayState before = PlayState::Normal;
    PlayState after = PlayState::Normal;
  };

  int StateBlockRight() const { return width_ - scrollBarWidth_; }
  PixelRect ButtonRect(const CTrack& track, Button button) const;
  Button ButtonAt(const CTrack& track, int x, int y) const;
  bool InKindIcon(const CTrack& track, int x, int y) const;
  bool SetFirstVisible(int first);
  void TellScrollBar();
  void AfterTrackChange();
  std::vector<MenuItem> MenuFor(const CTrack& track) const;
  CTrack* NeighbourInGroup(const CTrack& track, int step) const;
  bool EveryTrackHasHeight(std::int32_t height) const;
  bool ExecuteOn(CTrack& track, int id);

  CVantorelleDoc& doc_;
  IViewHost& host_;
  ITrackHeaderRequests& requests_;
  ITrackScrollBar* scrollBar_;
  CommandDescriptionLookup describe_;
  int width_ = 160;
  int height_ = 400;
  int scrollBarWidth_ = kDefaultScrollBarWidth;
  Press press_;
  CTrack* menuTrack_ = nullptr;
};

}  // namespace vantorelle
