// The main window's monitor: the dock with the board's picture and the
// transport bar, View › Monitor, its place between runs, and what keeps an
// idle editor idle: the preview timer, the toolbar and the bar are woken by
// input and repaints instead of polling.
#include <QEvent>
#include <QTimer>
#include <algorithm>

#include "document/window_settings.h"
#include "main_window.h"
#include "monitor_dock.h"
#include "preview_window.h"
#include "qt_bridge.h"

namespace vantorelle::shell {
namespace {

// The monitor's width when it is docked for the first time: a quarter of
// the window, so the track area keeps most of it, within these bounds.
constexpr int kLeastMonitorWidth = 160;
constexpr int kMostMonitorWidth = 480;
// Input and repaints come in bursts: the toolbar and the bar follow once.
constexpr int kViewRefreshDelayMs = 20;

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

PixelRect RectOf(const QRect& rect) { return {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1}; }

}  // namespace

void MainWindow::BuildMonitor() {
  monitor_ = new MonitorDock(*preview_, doc_, *hub_, [this](int id) { RunCommand(id); }, this);
  addDockWidget(Qt::RightDockWidgetArea, monitor_);
  viewRefresh_ = new QTimer(this);
  viewRefresh_->setSingleShot(true);
  viewRefresh_->setInterval(kViewRefreshDelayMs);
  connect(viewRefresh_, &QTimer::timeout, this, [this] {
    UpdateToolBar();
    monitor_->Refresh();
  });
}

MonitorDock* MainWindow::Monitor() const { return monitor_; }

QWidget* MainWindow::Preview() const { return preview_; }

void MainWindow::ShowMonitor() {
  monitor_->show();
  monitor_->raise();
  monitor_->activateWindow();
}

void MainWindow::NoteInput(const QEvent& event) {
  if (IsInput(event.type())) FollowChanges();
}

void MainWindow::FollowChanges() {
  if (playback_) playback_->WakePreview();
  if (viewRefresh_ && !viewRefresh_->isActive()) viewRefresh_->start();
}

void MainWindow::RestoreMonitorPlacement() {
  const auto dock = LoadDockState(store_, kMonitorDockStateValue);
  if (!dock) {
    resizeDocks({monitor_}, {std::clamp(width() / 4, kLeastMonitorWidth, kMostMonitorWidth)}, Qt::Horizontal);
    return;
  }
  monitor_->setFloating(dock->state == DockBarState::Floating);
  monitor_->setVisible(dock->state != DockBarState::Hidden);
  if (dock->state == DockBarState::Floating) monitor_->setGeometry(ToQRect(dock->rect));
  if (dock->state == DockBarState::Docked && !dock->rect.Empty()) {
    resizeDocks({monitor_}, {dock->rect.right - dock->rect.left}, Qt::Horizontal);
  }
}

void MainWindow::SaveMonitorPlacement() {
  // A floating monitor goes out of sight with a main window that closed; the
  // save made as it closed holds where it stood.
  if (!isVisible() && monitor_->isFloating()) return;
  // A docked one inside a main window that is itself hidden keeps its
  // state: only one hidden on its own counts.
  const DockBarState state = monitor_->isHidden()     ? DockBarState::Hidden
                             : monitor_->isFloating() ? DockBarState::Floating
                                                      : DockBarState::Docked;
  SaveDockState(store_, kMonitorDockStateValue, CDockPlateState{state, RectOf(monitor_->geometry())});
}

}  // namespace vantorelle::shell
