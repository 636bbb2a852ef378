// Small translations between Qt and the core: colours, mouse events, menus
// built from menu data, and timers by id.
#pragma once

#include <QColor>
#include <QMenu>
#include <QMouseEvent>
#include <QObject>
#include <QRect>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "model/pixel_rect.h"
#include "timeline/view_services.h"

namespace vantorelle::shell {

// The core's colours are 0x00BBGGRR.
inline QColor ToQColor(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

inline QRect ToQRect(const PixelRect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

MouseEvent ToMouseEvent(const QMouseEvent& event);

// Fills a menu from menu data; answers the chosen id, 0 for none.
int ExecMenu(const std::vector<MenuItem>& items, const QPoint& globalPosition, QWidget* parent,
             const std::function<void(int)>& highlighted = {});

// Timers by id for one controller; each tick calls the handler with the id.
class QtTimerService : public QObject, public ITimerService {
 public:
  explicit QtTimerService(std::function<void(int)> onTick, QObject* parent = nullptr)
      : QObject(parent), onTick_(std::move(onTick)) {}
  void StartTimer(int id, int intervalMs) override;
  void KillTimer(int id) override;

 private:
  std::function<void(int)> onTick_;
  std::map<int, std::unique_ptr<QTimer>> timers_;
};

// A view host for one widget: repaints go to the widget, status texts to a handler.
class WidgetViewHost : public IViewHost {
 public:
  WidgetViewHost(QWidget& widget, std::function<void(std::uint32_t)> repaintViews,
                 std::function<void(const std::string&)> statusText)
      : widget_(widget), repaintViews_(std::move(repaintViews)), statusText_(std::move(statusText)) {}
  void Repaint(std::uint32_t redrawMask) override { repaintViews_(redrawMask); }
  void RepaintRect(const PixelRect& rect) override;
  void SetStatusText(const std::string& text) override { statusText_(text); }
  void SetMouseCapture(bool captured) override;

 private:
  QWidget& widget_;
  std::function<void(std::uint32_t)> repaintViews_;
  std::function<void(const std::string&)> statusText_;
};

}  // namespace vantorelle::shell
