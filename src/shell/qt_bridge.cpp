#include "qt_bridge.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

namespace vantorelle::shell {
namespace {

void AddItems(QMenu& menu, const std::vector<MenuItem>& items) {
  for (const MenuItem& item : items) {
    if (item.IsSeparator()) {
      menu.addSeparator();
    } else if (!item.submenu.empty()) {
      QMenu* sub = menu.addMenu(QString::fromStdString(item.text));
      AddItems(*sub, item.submenu);
    } else {
      QAction* action = menu.addAction(QString::fromStdString(item.text));
      action->setData(item.id);
      action->setEnabled(item.enabled);
      action->setCheckable(item.checked);
      action->setChecked(item.checked);
    }
  }
}

}  // namespace

MouseEvent ToMouseEvent(const QMouseEvent& event) {
  MouseEvent out;
  const QPoint position = event.position().toPoint();
  out.x = position.x();
  out.y = position.y();
  const Qt::MouseButtons buttons = event.buttons();
  out.leftButton = buttons & Qt::LeftButton;
  out.rightButton = buttons & Qt::RightButton;
  out.middleButton = buttons & Qt::MiddleButton;
  out.ctrl = event.modifiers() & Qt::ControlModifier;
  out.shift = event.modifiers() & Qt::ShiftModifier;
  out.alt = event.modifiers() & Qt::AltModifier;
  return out;
}

int ExecMenu(const std::vector<MenuItem>& items, const QPoint& globalPosition, QWidget* parent,
             const std::function<void(int)>& highlighted) {
  if (items.empty()) return 0;
  QMenu menu(parent);
  AddItems(menu, items);
  if (highlighted) {
    QObject::connect(&menu, &QMenu::hovered, [&](QAction* action) { highlighted(action->data().toInt()); });
  }
  const QAction* chosen = menu.exec(globalPosition);
  if (highlighted) highlighted(0);
  return chosen ? chosen->data().toInt() : 0;
}

void QtTimerService::StartTimer(int id, int intervalMs) {
  auto& timer = timers_[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, this, [this, id] { onTick_(id); });
  }
  timer->start(intervalMs);
}

void QtTimerService::KillTimer(int id) {
  const auto found = timers_.find(id);
  if (found != timers_.end()) found->second->stop();
}

void WidgetViewHost::RepaintRect(const PixelRect& rect) {
  widget_.update(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void WidgetViewHost::SetMouseCapture(bool captured) {
  // Qt keeps the mouse with the widget while a button is held; an explicit
  // grab only matters for drags that outlive the button.
  if (captured) {
    widget_.grabMouse();
  } else if (QWidget::mouseGrabber() == &widget_) {
    widget_.releaseMouse();
  }
}

}  // namespace vantorelle::shell
