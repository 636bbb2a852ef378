// The track area's mouse: hover zones and status text, selection by click
// and rubber band, and the drags that move clips, trim their edges, change
// fades and level and move the current time mark; placing new sources; the
// auto-scroll timers at the view's edges.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/vantorelle_doc.h"
#include "timeline/clip_editor.h"
#include "timeline/snap_points.h"
#include "timeline/source_placement.h"
#include "timeline/view_services.h"
#include "timeline/work_area_navigator.h"

namespace vantorelle {

enum class HitZone { None = 0, LeftEdge = 1, Body = 2, RightEdge = 3, FadeIn = 4, FadeOut = 5, Volume = 6, TimeLine = 7 };

struct TrackAreaHit {
  CTrack* track = nullptr;
  CFilm* clip = nullptr;
  HitZone zone = HitZone::None;
};

// Track scrolling belongs to the headers; the area only asks for it.
class ITrackScroller {
 public:
  virtual ~ITrackScroller() = default;
  // One track up (-1) or down (+1); false at the first or last track.
  virtual bool ScrollTracks(int delta) = 0;
};

class TrackAreaController {
 public:
  TrackAreaController(CVantorelleDoc& doc, WorkAreaNavigator& navigator, IViewHost& host, ITimerService& timers,
                      ITrackScroller* trackScroller = nullptr);

  void SetClientSize(int width, int height);
  TrackAreaHit HitTest(int x, int y) const;

  // A click selects a clip with its linked partners, or with Alt the clip
  // alone; Ctrl or Shift adds the clips under the mouse to the selection.
  void OnMouseDown(const MouseEvent& event);
  void OnMouseMove(const MouseEvent& event);
  void OnMouseUp(const MouseEvent& event);
  void OnTimer(int id);

  // A source dragged over the area from the Clip Collection, and dropped.
  // DragOver answers whether the drop is allowed at that point.
  bool DragOver(CSrc& source, int x, int y);
  bool Drop(CSrc& source, int x, int y);
  void DragLeave();
  // "Add source file...": the next click places the source.
  void StartPendingPlacement(CSrc& source);
  bool PlacementPending() const { return pending_ != nullptr; }
  // The targets the outline is drawn for while a source is dragged.
  const std::vector<PlacementTarget>& PlacementTargets() const { return targets_; }

  bool Dragging() const { return drag_ != Drag::None; }
  // Ends a drag in progress as releasing the mouse where it last was would.
  // Every command that changes the timeline calls it first, so no command
  // runs while the drag holds clips it may delete, replace or undo.
  void FinishDrag();
  // The snap point a dragged edge or placed source is drawn to now, for the
  // line shown over the rows; none while snapping is off.
  std::optional<TimeMs> SnapLine() const;
  // The rubber band while one is dragged.
  std::optional<PixelRect> SelectionRectangle() const;
  // "'name' start: …ms, stop: …ms, duration: …ms" for a clip.
  std::string ClipStatusText(const CFilm& clip) const;

 private:
  enum class Drag { None, Rectangle, Move, TrimLeft, TrimRight, FadeIn, FadeOut, Volume, TimeLine };

  WorkAreaView View() const { return navigator_.View(); }
  void LayOutRows();
  TimeMs TimeAt(int x) const { return View().PixelToTime(x); }
  // The selection a click on a clip makes before its drag begins.
  void SelectClicked(CFilm& clip);
  void ApplyDrag(int x, int y, bool autoScrollTick);
  void MoveClips(int x, int y, bool autoScrollTick);
  void TrimRight(int x, bool autoScrollTick);
  void TrimLeft(int x, bool autoScrollTick);
  void ChangeFade(int x);
  void ChangeVolume(int y);
  void MoveTimeLine(int x);
  void UpdateAutoScroll(int x, int y);
  void StopAutoScroll();
  void EndDrag();
  // A move ends with the moved clips on the frame grid, clear of others.
  void SnapMovedClipsToFrames();
  // False once a dragged clip is no longer one of the live timeline's: some
  // change took it away without finishing the drag.
  bool DraggedClipsAlive() const;
  // Ends such a drag without touching the clips it held.
  void AbandonDrag();
  void ShowStatus(const CFilm* clip);
  // The nearest snap point's pull on the dragged edges, none while snapping
  // is off; the dragged clips' own edges do not pull.
  std::optional<SnapPull> SnapEdges(const std::vector<TimeMs>& edges, std::vector<const CFilm*> dragged) const;
  // Where a placed source starts for the mouse at x over a track, drawn to
  // a snap point nearby.
  TimeMs PlacementStart(const SourcePlacement& placement, CTrack* track, int x);

  CVantorelleDoc& doc_;
  WorkAreaNavigator& navigator_;
  IViewHost& host_;
  ITimerService& timers_;
  ITrackScroller* trackScroller_;
  int width_ = 800;
  int height_ = 400;

  Drag drag_ = Drag::None;
  CFilm* dragClip_ = nullptr;
  // Alt was held at the press: the click, the band and the trim take the
  // clips without their linked partners.
  bool alone_ = false;
  TimeMs origin_ = 0.0;
  TrackType movedKind_ = 0;
  bool mayChangeTracks_ = false;
  std::vector<CFilm*> moved_;
  int lastX_ = 0;
  int lastY_ = 0;
  int bandX_ = 0;
  int bandY_ = 0;
  int horizontalTimer_ = 0;  // the running edge timer, 0 for none
  int verticalTimer_ = 0;

  std::unique_ptr<SourcePlacement> pending_;
  std::vector<PlacementTarget> targets_;
  std::optional<TimeMs> snapLine_;
};

}  // namespace vantorelle
