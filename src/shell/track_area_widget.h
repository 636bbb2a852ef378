// The track area: paints the clips, outlines and the current-time line the
// controller works out, and hands it the mouse.
#pragma once

#include <QWidget>
#include <functional>

#include "qt_bridge.h"
#include "timeline/track_area_controller.h"
#include "timeline/track_area_menu.h"

namespace vantorelle::shell {

class TrackAreaWidget : public QWidget {
 public:
  TrackAreaWidget(CVantorelleDoc& doc, std::function<void(std::uint32_t)> repaintViews,
                  std::function<void(const std::string&)> statusText, QWidget* parent = nullptr);

  IViewHost& Host() { return host_; }
  ITimerService& Timers() { return timers_; }
  void Attach(TrackAreaController& area, TrackAreaMenu& menu, WorkAreaNavigator& navigator);
  TrackAreaController* Controller() const { return area_; }
  // Sources dragged from the Clip Collection: the shell finds the source by path.
  void SetSourceLookup(std::function<CSrc*(const QString& path)> lookup) { sourceLookup_ = std::move(lookup); }
  // The frame pictures drawn in the clips, and the view timers that belong
  // to others (the idle preview).
  void SetPictures(class FramePictures* pictures) { pictures_ = pictures; }
  void SetTimerHandler(std::function<void(int)> handler) { otherTimers_ = std::move(handler); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void UpdateCursor(int x, int y);
  CSrc* DraggedSource(const QMimeData& data) const;

  CVantorelleDoc& doc_;
  WidgetViewHost host_;
  QtTimerService timers_;
  std::function<void(const std::string&)> statusText_;
  TrackAreaController* area_ = nullptr;
  TrackAreaMenu* menu_ = nullptr;
  WorkAreaNavigator* navigator_ = nullptr;
  std::function<CSrc*(const QString&)> sourceLookup_;
  class FramePictures* pictures_ = nullptr;
  std::function<void(int)> otherTimers_;
};

}  // namespace vantorelle::shell
