// The time ruler over the track area: scale, range strip, marks and the
// current-time line, with the mouse and the two dialogs of its menu.
#pragma once

#include <QWidget>
#include <memory>

#include "qt_bridge.h"
#include "timeline/time_ruler.h"

namespace vantorelle::shell {

class TimeRulerWidget : public QWidget {
 public:
  TimeRulerWidget(CVantorelleDoc& doc, std::function<void(std::uint32_t)> repaintViews,
                  std::function<void(const std::string&)> statusText, QWidget* parent = nullptr);

  IViewHost& Host() { return host_; }
  ITimerService& Timers() { return timers_; }
  RulerFont Font() const;
  void Attach(CTimeLine& ruler);
  CTimeLine* Ruler() const { return ruler_; }
  // The menu's commands, also reached by their shortcuts.
  void RunCommand(int id);
  void SetMenuStatus(std::function<std::string(int)> lookup) { menuStatus_ = std::move(lookup); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool event(QEvent* event) override;

 private:
  CVantorelleDoc& doc_;
  WidgetViewHost host_;
  QtTimerService timers_;
  std::function<void(const std::string&)> statusText_;
  CTimeLine* ruler_ = nullptr;
  std::function<std::string(int)> menuStatus_;
};

}  // namespace vantorelle::shell
