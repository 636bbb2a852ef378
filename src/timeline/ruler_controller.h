// The ruler's mouse: dragging the current time mark and the range, the
// edge timers that scroll while a drag is beyond the view, the double click
// that spans the range over the used project, the mark tooltip and the
// context menu.
#pragma once

#include <string>
#include <vector>

#include "document/vantorelle_doc.h"
#include "timeline/ruler_ticks.h"
#include "timeline/view_services.h"
#include "timeline/work_area_navigator.h"

namespace vantorelle {

namespace RulerCommand {
inline constexpr int SetCurrentTime = 0x8007;
inline constexpr int SetRange = 0x05B2;
}  // namespace RulerCommand

namespace RulerGeometry {
inline constexpr int Baseline = 25;
inline constexpr int MajorTickTop = 19;
inline constexpr int MinorTickTop = 22;
inline constexpr int RangeStripBottom = 35;
}  // namespace RulerGeometry

class RulerController {
 public:
  static constexpr int kRangeLeftTimer = 1;
  static constexpr int kRangeRightTimer = 2;
  static constexpr int kTimeLeftTimer = 3;
  static constexpr int kTimeRightTimer = 4;

  RulerController(CVantorelleDoc& doc, WorkAreaNavigator& navigator, IViewHost& host, ITimerService& timers,
                  TextWidth textWidth);

  void SetClientWidth(int width) { width_ = width; }
  // Chooses the scale and keeps its step in the document for scrolling.
  RulerTicks Layout();

  void OnMouseDown(int x, int y);
  void OnMouseMove(int x, int y);
  void OnMouseUp(int x, int y);
  void OnDoubleClick();
  void OnTimer(int id);

  // The comment of the mark under the mouse, cut to 299 characters when
  // it is 301 or longer; empty without a mark.
  std::string TooltipText() const;
  const CUMark* MarkUnderMouse() const;
  bool RangeDragging() const { return rangeDrag_; }

  std::vector<MenuItem> ContextMenu(int x, int y);

 private:
  WorkAreaView View() const { return WorkAreaView(doc_.timeline.workArea, width_); }
  void DragTo(int x);
  void SetTimer(int wanted);
  void KillTimers();
  void Refresh();

  CVantorelleDoc& doc_;
  WorkAreaNavigator& navigator_;
  IViewHost& host_;
  ITimerService& timers_;
  TextWidth textWidth_;
  int width_ = 800;
  bool timeDrag_ = false;
  bool rangeDrag_ = false;
  TimeMs anchor_ = 0.0;
  int lastX_ = 0;
  int runningTimer_ = 0;
  // An index, not a pointer: Undo replaces the mark list.
  int markUnderMouse_ = -1;
  int menuX_ = 0;
  int menuY_ = 0;
};

}  // namespace vantorelle
