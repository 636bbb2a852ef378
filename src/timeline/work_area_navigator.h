// Zooming, scrolling and paging the work area, the window of project time
// that the ruler and the track area show; and stepping the current time
// mark with keys, the mouse wheel and the middle-button shuttle.
#pragma once

#include <string>

#include "document/vantorelle_doc.h"
#include "timeline/view_services.h"
#include "timeline/work_area_view.h"

namespace vantorelle {

enum class ScrollCode { LineLeft, LineRight, PageLeft, PageRight, ThumbPosition, ThumbTrack, EndScroll };

// What the zoom strip and the main window show of the work area.
struct WorkAreaDisplay {
  int scrollMax = 0;       // the scroll range is 0 … scrollMax
  int scrollPage = 0;
  int scrollPosition = 0;
  std::string startText;   // the work-area fields, in the time display mode
  std::string stopText;
  TimeMs frameImageSpan = 0.0;  // the time 32 pixels of the track area cover
};

class IWorkAreaDisplay {
 public:
  virtual ~IWorkAreaDisplay() = default;
  virtual void ShowWorkArea(const WorkAreaDisplay& display) = 0;
  virtual void ShowCurrentTime(TimeMs timeMark) = 0;
};

class WorkAreaNavigator {
 public:
  static constexpr int kShuttleTimer = 17;
  static constexpr int kShuttleIntervalMs = 100;

  WorkAreaNavigator(CVantorelleDoc& doc, IWorkAreaDisplay& display, IViewHost& host, ITimerService& timers);

  // The track area's client width, which every mapping uses.
  void SetClientWidth(int width) { clientWidth_ = width; }
  int ClientWidth() const { return clientWidth_; }
  WorkAreaView View() const { return WorkAreaView(doc_.timeline.workArea, clientWidth_); }

  void RebuildZoomLadder();
  void ZoomIn();
  void ZoomOut();
  void ZoomToProject();
  void ZoomToRange();
  void ZoomToClip(const CFilm& clip);
  void Scroll(ScrollCode code, int thumbPosition = 0);
  // Stores the work area and tells the ruler, zoom strip, fields and views.
  void ApplyWorkArea(const WorkArea& area);
  // Moves the time mark by whole frames (negative: back) and pages the work
  // area when the mark leaves it.
  void StepCurrentTime(int frames);

  // Wheel over the track area; ignored while the left or right button is down.
  void OnWheel(int delta, const MouseEvent& buttons);
  void OnMiddleButtonDown();
  void OnMiddleButtonUp();
  void OnTimer(int id);
  int ShuttleSpeed() const { return shuttleSpeed_; }
  int ScrollPosition() const { return scrollPosition_; }

 private:
  // Scroll bar, ruler copy and fields follow the work area; no repaint.
  void ShowWorkArea();

  CVantorelleDoc& doc_;
  IWorkAreaDisplay& display_;
  IViewHost& host_;
  ITimerService& timers_;
  int clientWidth_ = 800;
  int scrollPosition_ = 0;
  int shuttleSpeed_ = 0;
};

}  // namespace vantorelle
