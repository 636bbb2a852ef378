// The editor's main frame window: the ruler over the track area, the
// headers at the left, the zoom strip below and the info view, with menus
// built from the command table and their states from the command hub.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <memory>

#include "commands/key_dispatch.h"
#include "commands/shortcut_table.h"
#include "document/vantorelle_app.h"
#include "document/autosave.h"
#include "document/recent_files.h"
#include "document/vantorelle_doc.h"
#include "document/window_settings.h"
#include "export/export_controller.h"
#include "playback/movie_map.h"
#include "playback/play_engine_control.h"
#include "playback/software_board/realtime_pump.h"
#include "playback/software_board/software_board_wiring.h"
#include "timeline/clip_editor.h"
#include "timeline/command_hub.h"
#include "timeline/info_view.h"
#include "timeline/time_ruler.h"
#include "timeline/track_area_controller.h"
#include "timeline/track_area_menu.h"
#include "timeline/track_headers.h"
#include "timeline/work_area_navigator.h"

class QDockWidget;
class QMenu;
class QProgressBar;
class QTimer;
class QTreeWidget;

namespace vantorelle::shell {

class ClipCollectionBar;
class ExportProgressWindow;
class FramePictures;
class MonitorDock;
class PreviewWindow;
class QtTimerService;
class TimeRulerWidget;
class TrackAreaWidget;
class TrackHeadersWidget;
class ZoomStripWidget;

class MainWindow : public QMainWindow,
                   public IDocumentViews,
                   public ICommandDialogs,
                   public IClipRequests {
 public:
  MainWindow(CVantorelleApp& app, CVantorelleDoc& doc, IUserInterface& ui, CShortCutTable* shortcuts,
             ISettingsStore& store, std::optional<SoftwareBoardWiring> board, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Runs a main-menu, toolbar or global-shortcut command.
  void RunCommand(int id);
  // The framework's open of a named project (command line, dropped file).
  void OpenProject(const std::string& path);

  // IDocumentViews
  void ReleaseMovieMap() override { movieMap_.Clear(); }
  void ClearFramePictures() override;
  void Repaint(std::uint32_t redrawMask) override;
  void TrackCountChanged(int trackCount) override;
  void RedrawTrackHeaders() override;
  void LayOutTracks(std::int32_t firstVisibleTrack) override;
  void PlaceMainWindowByDefault() override;
  void FollowDocument() override;

  // ICommandDialogs
  void OpenSettings() override;
  void OpenTitleTrackSettings() override;
  void OpenScreenSizeSettings() override;  // main_window_format.cpp
  void ImportVelmoProject() override;
  void CustomizeKeyboard() override;
  void AddSourceFile() override;
  void RelinkOfflineMedia() override;  // main_window_relink.cpp

  // IClipRequests
  void OpenClipProperties(CFilm& clip) override;
  void OpenTitleTrackSettings(CTrack& track) override;
  void PlayClip(CFilm& clip) override;
  void AddSourceFileAt(int x, int y) override;
  bool AskRepeatClip(RepeatClipDialog& dialog) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;  // main_window_views.cpp
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildViews();
  void BuildMenus();
  void BuildBars();
  void BuildToolBar();
  // The toolbar's buttons follow the hub's states, as menus do when opened.
  void UpdateToolBar();
  void RefreshProjectViewer();
  // Window and bar placement: from the settings store at start, into it at
  // close, and into the project file's layout block before a save.
  void RestorePlacement();
  void RecordLayoutInDocument();
  void ApplyDocumentLayout();
  PixelRect DesktopWorkArea() const;
  void UpdateMenu(QMenu& menu);
  void ShowStatus(const std::string& text);
  void UpdateTitle();
  std::string StatusTextFor(int id) const;
  // File commands of the framework.
  bool ConfirmDiscardChanges();
  void NewProject();  // main_window_format.cpp
  void OpenProjectDialog();
  bool SaveProject();
  bool SaveProjectAs();
  CSrc* AskForSource();

  CVantorelleApp& app_;
  CVantorelleDoc& doc_;
  IUserInterface& ui_;
  CShortCutTable* shortcuts_;
  ISettingsStore& store_;

  TimeRulerWidget* rulerWidget_ = nullptr;
  TrackAreaWidget* areaWidget_ = nullptr;
  TrackHeadersWidget* headersWidget_ = nullptr;
  ZoomStripWidget* zoomStrip_ = nullptr;
  QLabel* infoLabel_ = nullptr;
  ClipCollectionBar* clipCollection_ = nullptr;
  QDockWidget* projectViewer_ = nullptr;
  QTreeWidget* projectTree_ = nullptr;
  std::unique_ptr<IViewHost> mainHost_;

  std::unique_ptr<ClipEditor> editor_;
  std::unique_ptr<WorkAreaNavigator> navigator_;
  std::unique_ptr<CTrackStatusView> headers_;
  std::unique_ptr<TrackAreaController> area_;
  std::unique_ptr<CTimeLine> ruler_;
  std::unique_ptr<TrackAreaMenu> areaMenu_;
  std::unique_ptr<CommandHub> hub_;
  CMovieMap movieMap_;
  std::unique_ptr<CPlayEngine> engine_;
  std::unique_ptr<QtTimerService> windowTimers_;
  std::unique_ptr<IWaitPlaybackStart> waitDialog_;
  std::unique_ptr<FramePictures> pictures_;
  std::unique_ptr<CPlaybackWindow> playback_;
  std::unique_ptr<PlaybackHubAdapter> playbackControl_;
  std::optional<SoftwareBoardWiring> board_;
  PreviewWindow* preview_ = nullptr;
  std::unique_ptr<RealtimePump> pump_;
  std::unique_ptr<ProjectAutosave> autosave_;
 public:
  // Once the window shows: a recovery copy left by a crash is offered.
  void OfferRecovery();
  // The monitor dock and the picture in it. main_window_monitor.cpp
  MonitorDock* Monitor() const;
  QWidget* Preview() const;
  const CPlaybackWindow& Playback() const { return *playback_; }
  // Into the settings store: where the window and its bars stand, for the
  // next start. Done on close and again when the program ends.
  void SavePlacement();

 private:
  // The Clip Collection bar as it stands now, over the stored values.
  ClipCollectionBarSettings LiveBarSettings() const;
  void BuildPlayback();
  // Between projects (or as Screen size settings changes the open one's):
  // the board, its output and the preview take the format. main_window_format.cpp
  void FollowVideoFormat(const VideoFormat& format);
  // Every source of the document gets its play component and its pictures.
  void OpenSourcesForPlayback();
  CInfoView info_;
  RecentFileList recentFiles_;
  QMenu* fileMenu_ = nullptr;
  QAction* exitAction_ = nullptr;
  std::vector<QAction*> recentActions_;
  class MainToolBar* toolBar_ = nullptr;
  void RememberProject();
  void RefreshRecentFiles();
  // main_window_monitor.cpp
  void BuildMonitor();
  // View › Monitor: shown again however it was closed, and raised.
  void ShowMonitor();
  void RestoreMonitorPlacement();
  void SaveMonitorPlacement();
  // Nothing polls while the editor is idle: input (seen by the event
  // filter) and repaints wake the preview timer and, once a burst is over,
  // bring the toolbar and the monitor's bar up to date.
  void NoteInput(const QEvent& event);
  void FollowChanges();
  MonitorDock* monitor_ = nullptr;
  QTimer* viewRefresh_ = nullptr;

  struct Pane;
  std::vector<std::unique_ptr<Pane>> panes_;

 public:
  // File › Export…: the dialog, then the export in the background (one at a
  // time). main_window_export.cpp
  void ExportFilm();
  const ExportController& Exports() const { return *exports_; }
  ExportController& Exports() { return *exports_; }

 private:
  void BuildExport();
  void PollExport();
  // The progress put away and how the export ended in the status bar.
  void ShowExportEnded();
  // Before the window closes: true when no export runs or the person stops it.
  bool ConfirmQuitOverExport();
  std::unique_ptr<ExportController> exports_;
  ExportProgressWindow* exportWindow_ = nullptr;
  QProgressBar* exportBar_ = nullptr;
  QTimer* exportTimer_ = nullptr;
  ShortcutPanes shortcutPanes_;

  // What a start shows before anything is done: the time line with the time
  // mark in view, and the way to begin in the status bar while the project
  // is empty. main_window_first_start.cpp
  void ShowTimeMarkAtStart();
  void RefreshIdleStatus();
  // Docked bars' sizes from the settings: a main window sizes its docks only
  // once it is laid out, so they are given again when it first shows.
  struct DockSize {
    QDockWidget* dock;
    int size;
    Qt::Orientation orientation;
  };
  std::vector<DockSize> dockSizesAtShow_;
  void ResizeDocksAtShow();
};

}  // namespace vantorelle::shell
