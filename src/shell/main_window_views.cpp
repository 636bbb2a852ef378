// The main window's own windows and lists: where the window and its bars
// stand (kept in the settings store between runs and in the project file)
// and the recent projects of the File menu.
#include <QAction>
#include <QDockWidget>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include "clip_collection_bar.h"
#include "commands/pane_command_ids.h"
#include "document/window_settings.h"
#include "main_window.h"
#include "qt_bridge.h"

namespace vantorelle::shell {

void MainWindow::RefreshRecentFiles() {
  if (!fileMenu_ || !exitAction_) return;
  for (QAction* action : recentActions_) {
    fileMenu_->removeAction(action);
    action->deleteLater();
  }
  recentActions_.clear();
  const auto texts = recentFiles_.MenuTexts();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    auto* action = new QAction(QString::fromStdString(texts[i]), fileMenu_);
    const std::string path = recentFiles_.Paths()[i];
    connect(action, &QAction::triggered, this, [this, path] {
      if (ConfirmDiscardChanges()) OpenProject(path);
    });
    fileMenu_->insertAction(exitAction_, action);
    recentActions_.push_back(action);
  }
  if (!texts.empty()) recentActions_.push_back(fileMenu_->insertSeparator(exitAction_));
}

void MainWindow::RememberProject() {
  if (doc_.ProjectPath().empty()) return;
  recentFiles_.Add(doc_.ProjectPath());
  recentFiles_.Save(store_);
  RefreshRecentFiles();
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!dockSizesAtShow_.empty()) {
    // Once the window has its first layout.
    QTimer::singleShot(0, this, [this] {
      ResizeDocksAtShow();
      dockSizesAtShow_.clear();
    });
  }
}

PixelRect MainWindow::DesktopWorkArea() const {
  const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
  const QRect available = shown ? shown->availableGeometry() : QRect(0, 0, 1280, 800);
  return {available.left(), available.top(), available.right() + 1, available.bottom() + 1};
}

void MainWindow::RestorePlacement() {
  setGeometry(ToQRect(MainWindowPlacement(store_, app_.FirstRun(), DesktopWorkArea())));
  if (const auto dock = LoadDockState(store_, kProjectViewerDockStateValue)) {
    projectViewer_->setFloating(dock->state == DockBarState::Floating);
    projectViewer_->setVisible(dock->state != DockBarState::Hidden);
    if (dock->state == DockBarState::Floating) projectViewer_->setGeometry(ToQRect(dock->rect));
    if (dock->state == DockBarState::Docked && !dock->rect.Empty()) {
      dockSizesAtShow_.push_back({projectViewer_, dock->rect.right - dock->rect.left, Qt::Horizontal});
    }
  }
  const ClipCollectionBarSettings bar = LoadClipCollectionBarSettings(store_);
  clipCollection_->setVisible(bar.dockState != DockBarState::Hidden);
  clipCollection_->setFloating(bar.dockState == DockBarState::Floating);
  if (bar.dockState == DockBarState::Floating) {
    clipCollection_->setGeometry(bar.topLeft.x, bar.topLeft.y, bar.floatingSize.width, bar.floatingSize.height);
  }
  // A first run has only the section's defaults, not a height the bar had.
  if (bar.dockState == DockBarState::Docked && !app_.FirstRun() && bar.horizontalSize.height > 0) {
    dockSizesAtShow_.push_back({clipCollection_, bar.horizontalSize.height, Qt::Vertical});
  }
  ResizeDocksAtShow();
  clipCollection_->ApplyLayout(bar);
  RestoreMonitorPlacement();
}

void MainWindow::ResizeDocksAtShow() {
  for (const DockSize& docked : dockSizesAtShow_) resizeDocks({docked.dock}, {docked.size}, docked.orientation);
}

namespace {

// A bar inside a main window that is itself hidden (closed at the program's
// end) keeps its state: only a bar hidden on its own counts as hidden.
DockBarState StateOf(const QDockWidget& dock) {
  if (dock.isHidden()) return DockBarState::Hidden;
  return dock.isFloating() ? DockBarState::Floating : DockBarState::Docked;
}

PixelRect RectOf(const QRect& rect) { return {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1}; }

}  // namespace

void MainWindow::SavePlacement() {
  // A minimised window has no useful place; the next start then centres it.
  const QRect frame = isMinimized() ? QRect(-32000, -32000, 160, 31) : geometry();
  SaveMainWindowRect(store_, RectOf(frame));
  SaveDockState(store_, kProjectViewerDockStateValue,
                CDockPlateState{StateOf(*projectViewer_), RectOf(projectViewer_->geometry())});
  SaveClipCollectionBarSettings(store_, LiveBarSettings());
  SaveMonitorPlacement();
}

ClipCollectionBarSettings MainWindow::LiveBarSettings() const {
  ClipCollectionBarSettings bar = LoadClipCollectionBarSettings(store_);
  bar.dockState = StateOf(*clipCollection_);
  if (clipCollection_->isFloating()) {
    // The same rectangle that restoring sets, so a floating bar does not creep.
    bar.topLeft = {clipCollection_->geometry().x(), clipCollection_->geometry().y()};
    bar.floatingSize = {clipCollection_->width(), clipCollection_->height()};
  } else {
    bar.horizontalSize = {clipCollection_->width(), clipCollection_->height()};
  }
  clipCollection_->RecordLayout(bar);
  return bar;
}

void MainWindow::RecordLayoutInDocument() {
  WindowLayout& layout = doc_.windowLayout;
  layout.mainWindow = RectOf(geometry());
  layout.projectViewer = RectOf(projectViewer_->geometry());
  layout.projectViewerState = static_cast<std::int32_t>(StateOf(*projectViewer_));
  const ClipCollectionBarSettings bar = LiveBarSettings();
  layout.clipCollectionBar = ProjectBarBlock(bar, BarPoint{clipCollection_->x(), clipCollection_->y()});
  doc_.treeNodes = bar.treeNodes;
}

void MainWindow::ApplyDocumentLayout() {
  const WindowLayout& layout = doc_.windowLayout;
  const PixelRect desktop = DesktopWorkArea();
  // A place from another screen that does not fit here is left alone.
  const PixelRect& place = layout.mainWindow;
  if (!place.Empty() && place.left >= desktop.left && place.top >= desktop.top && place.right <= desktop.right &&
      place.bottom <= desktop.bottom) {
    setGeometry(ToQRect(place));
  }
  projectViewer_->setVisible(layout.projectViewerState != static_cast<std::int32_t>(DockBarState::Hidden));
  clipCollection_->setVisible(layout.clipCollectionBar.state != static_cast<std::int32_t>(DockBarState::Hidden));
}

}  // namespace vantorelle::shell
