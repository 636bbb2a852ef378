// The time ruler above the track area: its mouse (dragging the current time
// mark and the range, the double click over the used project, the mark
// tooltip), the edge timers that scroll while a drag is beyond the view, its
// context menu as data, and what a widget draws of it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/vantorelle_doc.h"
#include "model/mark.h"
#include "model/pixel_rect.h"
#include "timeline/info_view.h"
#include "timeline/ruler_layout.h"
#include "timeline/view_services.h"
#include "timeline/work_area_navigator.h"

namespace vantorelle {

// The ruler's context-menu items, with the command table's identifiers.
namespace TimeRulerMenu {
inline constexpr int kSetCurrentTime = 0x8007;
inline constexpr int kSetRange = 0x05B2;
}  // namespace TimeRulerMenu

enum class TimeRulerChoice { None, SetCurrentTimeDialog, SetRangeDialog };

struct RulerPoint {
  int x = 0;
  int y = 0;
  bool operator==(const RulerPoint&) const = default;
};

struct RulerMarkPicture {
  std::array<RulerPoint, 3> triangle;  // left foot, tip, right foot
  RulerPoint namePosition;             // top left of the name
  std::string name;
  ColourRef colour = 0;
};

// Everything the widget paints, in client pixels, back to front.
struct TimeRulerPicture {
  int width = 0;
  int height = 0;
  int baselineY = TimeRulerGeometry::kBaseline;
  RulerLayout scale;
  int labelTop = 0;
  PixelRect rangeStrip;
  std::optional<PixelRect> rangeBar;  // only with a range
  std::vector<RulerMarkPicture> marks;
  std::optional<int> currentTimeX;  // only while the mark is in the work area
};

class CTimeLine {
 public:
  static constexpr int kRangeLeftTimer = 1;
  static constexpr int kRangeRightTimer = 2;
  static constexpr int kTimeLeftTimer = 3;
  static constexpr int kTimeRightTimer = 4;
  static constexpr int kRangeTimerMs = 250;
  static constexpr int kTimeTimerMs = 100;
  static constexpr std::size_t kTooltipCutFrom = 301;
  static constexpr std::size_t kTooltipKept = 299;

  CTimeLine(CVantorelleDoc& doc, WorkAreaNavigator& navigator, IViewHost& host, ITimerService& timers,
            RulerFont font);

  void SetClientSize(int width, int height);
  // The displays of the range and the time mark; may be none.
  void AttachInfoView(CInfoView* infoView) { infoView_ = infoView; }

  // Lays the scale out and keeps its step in the document, where scrolling
  // takes its line step from.
  TimeRulerPicture Draw();

  void OnLeftButtonDown(const MouseEvent& event);
  void OnMouseMove(const MouseEvent& event);
  void OnLeftButtonUp(const MouseEvent& event);
  void OnLeftDoubleClick(const MouseEvent& event);
  void OnTimer(int id);

  std::vector<MenuItem> OpenContextMenu(int x, int y);
  RulerPoint LastContextMenuPoint() const { return menuPoint_; }
  // Which dialog the shell opens for the chosen item.
  static TimeRulerChoice ChooseMenuItem(int id);
  // The OK of "Set current time": the time mark moves, the work area with
  // it when the time is outside, and the zoom ladder follows.
  void ApplyCurrentTime(const std::string& typed);
  // The OK of "Set range...".
  void ApplyRange(const SetRangeDialog& dialog);

  const CUMark* MarkUnderMouse() const;
  // The mouse shows the mark cursor and the tooltip is active only over a mark.
  bool TooltipActive() const { return MarkUnderMouse() != nullptr; }
  std::string TooltipText() const;

  bool RangeDragging() const { return rangeDrag_; }
  bool TimeDragging() const { return timeDrag_; }
  int RunningTimer() const { return runningTimer_; }

 private:
  WorkAreaView View() const { return WorkAreaView(doc_.timeline.workArea, width_); }
  bool RangeShown() const { return rangeDrag_ || doc_.times.RangePresent(); }
  void DragRangeTo(int x);
  void DragTimeTo(int x);
  void FollowEdge(int x, int leftTimer, int rightTimer, int intervalMs);
  void StopTimer();
  int FindMarkAt(int x, int y) const;
  void RepaintTimeLine(int x);
  void TimesChanged();

  CVantorelleDoc& doc_;
  WorkAreaNavigator& navigator_;
  IViewHost& host_;
  ITimerService& timers_;
  RulerFont font_;
  CInfoView* infoView_ = nullptr;
  int width_ = 800;
  int height_ = 36;

  // A range drag is what makes a range present before the range has any
  // width; outside a drag the document's derived flag answers.
  bool rangeDrag_ = false;
  bool timeDrag_ = false;
  TimeMs anchor_ = 0.0;
  int runningTimer_ = 0;
  // An index, not a pointer: Undo replaces the whole mark list.
  int markUnderMouse_ = -1;
  RulerPoint menuPoint_;
};

}  // namespace vantorelle
