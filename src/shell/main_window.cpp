#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>
#include <QDockWidget>
#include <QTreeWidget>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "clip_collection_bar.h"
#include "clip_properties_dialog.h"
#include "collection/source_file_dialog.h"
#include "commands/command_table.h"
#include "commands/command_texts.h"
#include "commands/idle_status_text.h"
#include "commands/menu_status_text.h"
#include "commands/pane_command_ids.h"
#include "document/project_storage.h"
#include "document/window_settings.h"
#include "document/tml_import.h"
#include "playback/software_board/picture_fit.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "timeline/track_area_picture.h"
#include "qt_bridge.h"
#include "qt_keys.h"
#include "frame_pictures.h"
#include "keyboard_window.h"
#include "main_toolbar.h"
#include "preview_window.h"
#include "repeat_clip_dialog_window.h"
#include "settings_dialog_window.h"
#include "title_settings_window.h"
#include "time_ruler_widget.h"
#include "track_area_widget.h"
#include "track_headers_widget.h"
#include "zoom_strip_widget.h"

namespace vantorelle::shell {

// A pane as the key dispatch sees it.
struct MainWindow::Pane : ICommandPane {
  Pane(QWidget* w, std::function<void(int)> run) : widget(w), onCommand(std::move(run)) {}
  bool ContainsPoint(int x, int y) const override {
    return widget->isVisible() && widget->rect().contains(widget->mapFromGlobal(QPoint(x, y)));
  }
  void OnCommand(int id) override { onCommand(id); }
  QWidget* widget;
  std::function<void(int)> onCommand;
};

namespace {

constexpr const char* kProjectFilter = "Vantorelle Files (*.vrp)";

// The main window's host: repaints by mask, status texts to the status bar.
class MainHost : public IViewHost {
 public:
  MainHost(std::function<void(std::uint32_t)> repaint, std::function<void(const std::string&)> status)
      : repaint_(std::move(repaint)), status_(std::move(status)) {}
  void Repaint(std::uint32_t mask) override { repaint_(mask); }
  void RepaintRect(const PixelRect&) override { repaint_(RedrawMask::TrackArea); }
  void SetStatusText(const std::string& text) override { status_(text); }
  void SetMouseCapture(bool) override {}

 private:
  std::function<void(std::uint32_t)> repaint_;
  std::function<void(const std::string&)> status_;
};

// "Wait Playback Start": Start or Cancel before a play begins.
class WaitPlaybackBox : public IWaitPlaybackStart {
 public:
  explicit WaitPlaybackBox(QWidget* parent) : parent_(parent) {}
  WaitPlaybackChoice AskToStart(const WaitPlaybackStartDialog&) override {
    QMessageBox box(parent_);
    box.setWindowTitle(WaitPlaybackStartDialog::kCaption);
    box.setText(WaitPlaybackStartDialog::kText);
    QPushButton* start = box.addButton(WaitPlaybackStartDialog::kStartButton, QMessageBox::AcceptRole);
    box.addButton(WaitPlaybackStartDialog::kCancelButton, QMessageBox::RejectRole);
    box.setDefaultButton(start);
    box.exec();
    return box.clickedButton() == start ? WaitPlaybackChoice::Start : WaitPlaybackChoice::Cancel;
  }

 private:
  QWidget* parent_;
};

// The import's view of the main window.
class ImportHost : public ITmlImportHost {
 public:
  explicit ImportHost(MainWindow& window) : window_(window) {}
  void SetWaitCursor(bool on) override {
    if (on) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
  }
  void Repaint(std::uint32_t mask) override { window_.Repaint(mask); }

 private:
  MainWindow& window_;
};

}  // namespace

MainWindow::MainWindow(CVantorelleApp& app, CVantorelleDoc& doc, IUserInterface& ui, CShortCutTable* shortcuts,
                       ISettingsStore& store, std::optional<SoftwareBoardWiring> board, QWidget* parent)
    : QMainWindow(parent), app_(app), doc_(doc), ui_(ui), shortcuts_(shortcuts), store_(store),
      board_(std::move(board)) {
  BuildViews();
  BuildBars();
  BuildMonitor();  // main_window_monitor.cpp
  BuildMenus();
  BuildToolBar();
  BuildExport();
  RestorePlacement();
  doc_.AttachViews(this);
  // The project the editor starts with is new and empty: its first clip may
  // offer its format.
  doc_.SetFormatLeftAtDefault(doc_.ProjectPath().empty() && doc_.timeline.ClipCount() == 0);
  setAcceptDrops(true);
  qApp->installEventFilter(this);
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { SavePlacement(); });
  ShowStatus("Ready");
  UpdateTitle();
  ShowTimeMarkAtStart();
  FollowDocument();
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  // The work thread and the play go before the views and sources they read.
  if (playback_) playback_->StopPlayback();
  pictures_.reset();
  if (pump_) pump_->Stop();
  if (board_) board_->output->SetSink(nullptr);
  doc_.SetFormatHook({});
  doc_.AttachViews(nullptr);
  // The docks are hidden as the base class destroys them, when this window's
  // own part is already gone: their signals must not reach it then.
  if (projectViewer_) projectViewer_->disconnect(this);
}

void MainWindow::BuildViews() {
  const auto repaint = [this](std::uint32_t mask) { Repaint(mask); };
  const auto status = [this](const std::string& text) { ShowStatus(text); };
  mainHost_ = std::make_unique<MainHost>(repaint, status);

  auto* central = new QWidget(this);
  auto* grid = new QGridLayout(central);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  infoLabel_ = new QLabel(central);
  infoLabel_->setFixedHeight(40);
  infoLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QFont small = infoLabel_->font();
  small.setPointSizeF(small.pointSizeF() * 0.8);
  infoLabel_->setFont(small);
  rulerWidget_ = new TimeRulerWidget(doc_, repaint, status, central);
  headersWidget_ = new TrackHeadersWidget(doc_, repaint, status, central);
  areaWidget_ = new TrackAreaWidget(doc_, repaint, status, central);
  zoomStrip_ = new ZoomStripWidget([this](int id) { RunCommand(id); }, central);
  grid->addWidget(infoLabel_, 0, 0);
  grid->addWidget(rulerWidget_, 0, 1);
  grid->addWidget(headersWidget_, 1, 0);
  grid->addWidget(areaWidget_, 1, 1);
  grid->addWidget(zoomStrip_, 2, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(1, 1);
  setCentralWidget(central);

  editor_ = std::make_unique<ClipEditor>(doc_, ui_);
  navigator_ = std::make_unique<WorkAreaNavigator>(doc_, *zoomStrip_, areaWidget_->Host(), areaWidget_->Timers());
  headers_ = std::make_unique<CTrackStatusView>(doc_, headersWidget_->Host(), *headersWidget_, headersWidget_);
  area_ = std::make_unique<TrackAreaController>(doc_, *navigator_, areaWidget_->Host(), areaWidget_->Timers(),
                                                headers_.get());
  ruler_ = std::make_unique<CTimeLine>(doc_, *navigator_, rulerWidget_->Host(), rulerWidget_->Timers(),
                                       rulerWidget_->Font());
  ruler_->AttachInfoView(&info_);
  BuildPlayback();
  hub_ = std::make_unique<CommandHub>(doc_, *editor_, *navigator_, *mainHost_, playbackControl_.get(), this);
  hub_->AttachTrackArea(area_.get());
  areaMenu_ = std::make_unique<TrackAreaMenu>(doc_, *editor_, *navigator_, *area_, *this, playbackControl_.get());
  areaMenu_->UseCommandTable(shortcuts_);

  zoomStrip_->Attach(*navigator_);
  if (shortcuts_) zoomStrip_->ShowKeysInTips(*shortcuts_);
  headersWidget_->Attach(*headers_);
  headersWidget_->SetTitleSettingsOpener([this](CTrack& track) { OpenTitleTrackSettings(track); });
  areaWidget_->Attach(*area_, *areaMenu_, *navigator_);
  areaWidget_->SetSourceLookup([this](const QString& path) {
    return clipCollection_ ? clipCollection_->SourceForPath(path.toStdString())
                           : doc_.FindSourceByPath(path.toStdString());
  });
  rulerWidget_->Attach(*ruler_);
  if (shortcuts_) {
    headers_->SetCommandDescriptions([this](int id) {
      return shortcuts_->FindCommand(id) ? shortcuts_->PromptText(id) : std::string();
    });
    rulerWidget_->SetMenuStatus([this](int id) { return StatusTextFor(id); });
  }

  const auto addPane = [this](QWidget* widget, std::function<void(int)> run) {
    panes_.push_back(std::make_unique<Pane>(widget, std::move(run)));
    return panes_.back().get();
  };
  shortcutPanes_.tracksView = addPane(areaWidget_, [this](int id) {
    // Clip commands act on the clip under the pointer, as from the menu there.
    const QPoint at = areaWidget_->mapFromGlobal(QCursor::pos());
    MouseEvent event;
    event.x = at.x();
    event.y = at.y();
    event.rightButton = true;
    if (!areaMenu_->Open(event).empty()) areaMenu_->Execute(id);
    Repaint(RedrawMask::All);
  });
  shortcutPanes_.trackHeaders = addPane(headersWidget_, [this](int id) {
    const QPoint at = headersWidget_->mapFromGlobal(QCursor::pos());
    if (!headers_->OpenContextMenu(at.x(), at.y()).empty()) headers_->ExecuteMenuCommand(id);
  });
  shortcutPanes_.timeRuler = addPane(rulerWidget_, [this](int id) { rulerWidget_->RunCommand(id); });
  shortcutPanes_.mainWindow = addPane(this, [this](int id) { RunCommand(id); });
}

void MainWindow::BuildPlayback() {
  // The monitor's picture; black without a board.
  const VideoStandard& shown = CurrentVideoStandard();
  preview_ = new PreviewWindow(shown.FrameWidth, shown.FrameHeight,
                               AssumedPixelAspect(shown.FrameWidth, shown.FrameHeight), this);
  if (board_) {
    // What the board plays is shown and heard as it is made.
    board_->output->SetSink(preview_);
    pump_ = std::make_unique<RealtimePump>(*board_->output, *board_->clock);
    pump_->Start();
  }
  engine_ = std::make_unique<CPlayEngine>(doc_.Board(), ui_);
  doc_.SetFormatHook([this](const VideoFormat& format) { FollowVideoFormat(format); });
  windowTimers_ = std::make_unique<QtTimerService>([this](int id) {
    if (id == CPlaybackWindow::kPlayTimer && playback_) playback_->OnPlayTimer();
    if (autosave_) autosave_->OnTimer(id);
  });
  autosave_ = std::make_unique<ProjectAutosave>(doc_, *windowTimers_, RecoveryFolderFor(ProcessEnvironment()));
  waitDialog_ = std::make_unique<WaitPlaybackBox>(this);
  const VideoStandard& standard = CurrentVideoStandard();
  SoftwareBoardFormat format =
      SoftwareBoardFormatOf(standard.FrameWidth, standard.FrameHeight, standard.FrameRate / 1000.0);
  pictures_ = std::make_unique<FramePictures>(
      doc_, CreateSoftwareBoardFactory(format), ui_,
      [this] {
        std::vector<PictureTile> tiles;
        const TrackAreaPicture picture = PictureTrackArea(doc_, *area_, areaWidget_->width(), areaWidget_->height());
        for (const RowPicture& row : picture.rows) {
          for (const ClipPicture& clip : row.clips) {
            if (!clip.clip) continue;
            auto more = PictureTilesOf(*clip.clip, clip.rect, navigator_->View(), doc_.preferences.snapshotsType);
            tiles.insert(tiles.end(), more.begin(), more.end());
          }
        }
        return tiles;
      },
      [this] { areaWidget_->update(); });
  areaWidget_->SetPictures(pictures_.get());
  playback_ = std::make_unique<CPlaybackWindow>(PlaybackWindowServices{
      doc_, *engine_, movieMap_, *navigator_, *mainHost_, *windowTimers_, areaWidget_->Timers(), pictures_.get(),
      waitDialog_.get(), zoomStrip_});
  playbackControl_ = std::make_unique<PlaybackHubAdapter>(*playback_, *engine_);
  areaWidget_->SetTimerHandler([this](int id) {
    if (id == CPlaybackWindow::kPreviewTimer) playback_->OnPreviewTimer();
  });
  playback_->StartPreview();
}

void MainWindow::OpenSourcesForPlayback() {
  for (const auto& source : doc_.sources) {
    if (!movieMap_.Find(source->path)) FillMovieMap(movieMap_, *source, doc_.Board(), ui_);
  }
  pictures_->RegisterAll();
  engine_->BuildTitleTasks(doc_.timeline.tracks, doc_.times.timeMark);
}

void MainWindow::ClearFramePictures() {
  if (pictures_) pictures_->Clear();
}

void MainWindow::OfferRecovery() {
  if (!autosave_ || !autosave_->OfferRecovery(ui_)) return;
  OpenSourcesForPlayback();
  FollowDocument();
}

void MainWindow::BuildBars() {
  clipCollection_ = new ClipCollectionBar(
      doc_, [this](std::uint32_t mask) { Repaint(mask); }, [this](const std::string& text) { ShowStatus(text); },
      [this](int id) { return shortcuts_ && shortcuts_->FindCommand(id) ? shortcuts_->PromptText(id) : std::string(); },
      this);
  clipCollection_->SetSourceHooks({
      [this](const CSrc& source) { return FillMovieMap(movieMap_, source, doc_.Board(), ui_); },
      [this](CSrc& source) { pictures_->SourceAdded(source); },
      [this](const CSrc& source) {
        pictures_->SourceRemoved(source);
        movieMap_.Remove(source.path);
      }});
  addDockWidget(Qt::BottomDockWidgetArea, clipCollection_);
  resizeDocks({clipCollection_}, {220}, Qt::Vertical);
  shortcutPanes_.clipCollection =
      panes_.emplace_back(std::make_unique<Pane>(clipCollection_, [this](int id) {
        ClipListCommands& commands = clipCollection_->Commands();
        if (id == ClipCollectionCommand::AddSourceFile) commands.AddSourceFile();
        if (id == ClipCollectionCommand::Delete) commands.DeleteSourceFile();
        if (id == ClipCollectionCommand::SelectSourceFile) commands.SelectClipsOfSource();
        Repaint(RedrawMask::All);
      })).get();

  projectViewer_ = new QDockWidget("Project Viewer", this);
  projectViewer_->setObjectName("ProjectViewer");
  projectTree_ = new QTreeWidget(projectViewer_);
  projectTree_->setHeaderHidden(true);
  projectViewer_->setWidget(projectTree_);
  addDockWidget(Qt::LeftDockWidgetArea, projectViewer_);
  connect(projectViewer_, &QDockWidget::visibilityChanged, this, [this](bool) { RefreshProjectViewer(); });
  projectViewer_->hide();
}

void MainWindow::RefreshProjectViewer() {
  if (!projectTree_ || !projectViewer_->isVisible()) return;
  projectTree_->clear();
  for (const auto& track : doc_.timeline.tracks) {
    auto* trackItem = new QTreeWidgetItem(projectTree_, {QString::fromStdString(track->name)});
    for (const auto& clip : track->clips) {
      new QTreeWidgetItem(trackItem, {QString::fromStdString(clip->name + "  " + FormatTimeFull(clip->start) +
                                                             " – " + FormatTimeFull(clip->start + clip->duration))});
    }
  }
  projectTree_->expandAll();
}

void MainWindow::BuildMenus() {
  const std::vector<CCommandInfo> table = shortcuts_ ? shortcuts_->Commands() : BuildCommandTable();
  std::map<std::string, QMenu*> menus;
  for (const CCommandInfo& command : table) {
    if (command.group != CommandGroup::Global) continue;
    QMenu*& menu = menus[command.category];
    if (!menu) {
      menu = menuBar()->addMenu(QString::fromStdString("&" + command.category));
      connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(*menu); });
      connect(menu, &QMenu::hovered, this, [this](QAction* action) { ShowStatus(StatusTextFor(action->data().toInt())); });
      connect(menu, &QMenu::aboutToHide, this, [this] { ShowStatus("Ready"); });
    }
    const std::string text = shortcuts_ ? shortcuts_->MenuText(command.id) : command.displayName;
    QAction* action = menu->addAction(QString::fromStdString(text));
    action->setData(command.id);
    if (shortcuts_) action->setToolTip(QString::fromStdString(shortcuts_->ShortNameText(command.id)));
    connect(action, &QAction::triggered, this, [this, id = command.id] { RunCommand(id); });
    if (command.id == FrameCommand::Exit) {
      fileMenu_ = menu;
      exitAction_ = action;
    }
  }
  recentFiles_.Load(store_);
  RefreshRecentFiles();
}

void MainWindow::BuildToolBar() {
  toolBar_ = new MainToolBar(
      shortcuts_, [this](int id) { RunCommand(id); },
      [this](int id) {
        // The window's own commands are always enabled, as in the menus.
        return id < CommandId::FirstMainCommand || id > CommandId::LastMainCommand || hub_->Update(id).enabled;
      },
      this);
  toolBar_->FollowCheckedState([this](int id) { return hub_->Update(id).checked; });
  toolBar_->UpdateButtons();
  addToolBar(toolBar_);
}

void MainWindow::UpdateToolBar() {
  toolBar_->UpdateButtons();
  RefreshIdleStatus();
  // Undo and Redo name their step in the tip too.
  if (!shortcuts_) return;
  for (QAction* action : toolBar_->actions()) {
    const int id = action->data().toInt();
    if (hub_->CurrentName(id)) action->setToolTip(QString::fromStdString(CurrentTipText(*shortcuts_, *hub_, id)));
  }
}

void MainWindow::UpdateMenu(QMenu& menu) {
  // The View menu carries one item per track group besides its commands.
  for (QAction* action : menu.actions()) {
    if (action->property("showGroup").toBool()) {
      menu.removeAction(action);
      action->deleteLater();
    }
  }
  bool isView = false;
  for (QAction* action : menu.actions()) {
    if (!action->data().isValid()) continue;  // recent projects, the preview: not commands
    const int id = action->data().toInt();
    if (id == CommandId::ZoomIn) isView = true;
    if (shortcuts_) action->setText(QString::fromStdString(CurrentMenuText(*shortcuts_, *hub_, id)));
    if (id == CommandId::Monitor) {
      action->setEnabled(true);  // the window's own: shows the monitor whatever the project
    } else if (id == FrameCommand::ShowProjectViewer || id == FrameCommand::ShowClipCollectionBar) {
      action->setCheckable(true);
      action->setChecked(id == FrameCommand::ShowProjectViewer ? projectViewer_->isVisible()
                                                               : clipCollection_->isVisible());
    } else if (id >= CommandId::FirstMainCommand && id <= CommandId::LastMainCommand) {
      const CommandState state = hub_->Update(id);
      action->setEnabled(state.enabled);
      action->setCheckable(state.checked);
      action->setChecked(state.checked);
    }
  }
  if (!isView) return;
  for (const ShowGroupItem& item : hub_->ShowGroupItems()) {
    QAction* action = menu.addAction(QString::fromStdString(item.text));
    action->setProperty("showGroup", true);
    action->setData(item.id);
    action->setEnabled(item.state.enabled);
    action->setCheckable(true);
    action->setChecked(item.state.checked);
    connect(action, &QAction::triggered, this, [this, id = item.id] { RunCommand(id); });
  }
}

std::string MainWindow::StatusTextFor(int id) const {
  return shortcuts_ ? MenuStatusText(*shortcuts_, id) : std::string("Ready");
}

void MainWindow::ShowStatus(const std::string& text) {
  // "Ready" on an empty project says how to begin instead.
  const std::string shown = text == kReadyStatusText ? IdleStatusText(doc_, shortcuts_) : text;
  statusBar()->showMessage(QString::fromStdString(shown));
}

void MainWindow::UpdateTitle() {
  const std::string& path = doc_.ProjectPath();
  const QString name = path.empty() ? QString("Untitled") : QFileInfo(QString::fromStdString(path)).fileName();
  setWindowTitle(name + (doc_.IsModified() ? " *" : "") + " - Vantorelle");
}

void MainWindow::RunCommand(int id) {
  // The window's own commands save, replace the document or open a dialog:
  // a mouse drag ends first, as before the hub's timeline commands.
  if (id < CommandId::FirstMainCommand || id > CommandId::LastMainCommand) area_->FinishDrag();
  switch (id) {
    case CommandId::NewProject: NewProject(); break;
    case CommandId::OpenProject: OpenProjectDialog(); break;
    case CommandId::SaveProject: SaveProject(); break;
    case CommandId::SaveProjectAs: SaveProjectAs(); break;
    case CommandId::Export: ExportFilm(); break;
    case FrameCommand::Exit: close(); break;
    case FrameCommand::ShowProjectViewer: projectViewer_->setVisible(!projectViewer_->isVisible()); break;
    case FrameCommand::ShowClipCollectionBar: clipCollection_->setVisible(!clipCollection_->isVisible()); break;
    case CommandId::Monitor: ShowMonitor(); break;
    case CommandId::About:
      ui_.ShowMessage(CVantorelleApp::AboutText(), "About Vantorelle", MessageIcon::Information, MessageButtons::Ok);
      break;
    default: hub_->Execute(id); break;
  }
  Repaint(RedrawMask::All);
  UpdateToolBar();  // a shortcut's command shows on its button at once (Snap)
}

void MainWindow::Repaint(std::uint32_t redrawMask) {
  if (redrawMask & RedrawMask::TrackArea) areaWidget_->update();
  if (redrawMask & RedrawMask::Ruler) rulerWidget_->update();
  if (redrawMask & RedrawMask::TrackHeaders) headersWidget_->update();
  info_.Update(doc_.times, doc_.preferences.timeDisplayMode);
  QString text;
  for (const InfoViewRow& row : info_.Rows()) {
    text += QString::fromStdString(row.label + " " + row.text) + "\n";
  }
  infoLabel_->setText(text.trimmed());
  if ((redrawMask & RedrawMask::ClipCollection) && clipCollection_) clipCollection_->Refresh();
  // Edits repaint; the autosave only writes when the project really changed.
  if (autosave_ && doc_.IsModified()) autosave_->OnDocumentChanged();
  RefreshProjectViewer();
  RefreshIdleStatus();
  UpdateTitle();
  // The toolbar, the monitor's bar and picture follow what changed.
  FollowChanges();
}

void MainWindow::TrackCountChanged(int) { Repaint(RedrawMask::All); }

void MainWindow::RedrawTrackHeaders() { headersWidget_->update(); }

void MainWindow::LayOutTracks(std::int32_t firstVisibleTrack) {
  headers_->Layout(firstVisibleTrack, headersWidget_->height());
  Repaint(RedrawMask::TrackArea | RedrawMask::TrackHeaders);
}

void MainWindow::PlaceMainWindowByDefault() { setGeometry(ToQRect(DefaultMainWindowRect(DesktopWorkArea()))); }

void MainWindow::FollowDocument() {
  navigator_->RebuildZoomLadder();
  navigator_->ApplyWorkArea(doc_.timeline.workArea);
  headers_->UpdateScrollRange();
  headers_->Layout();
  Repaint(RedrawMask::All);
}

void MainWindow::OpenSettings() {
  SettingsDialogWindow dialog(doc_, ui_, clipCollection_, this);
  dialog.exec();
  FollowDocument();
}

void MainWindow::OpenTitleTrackSettings() {
  TitleSettingsWindow dialog(doc_, ui_, nullptr, this);
  dialog.exec();
  FollowDocument();
}

void MainWindow::OpenTitleTrackSettings(CTrack& track) {
  TitleSettingsWindow dialog(doc_, ui_, &track, this);
  dialog.exec();
  FollowDocument();
}

void MainWindow::ImportVelmoProject() {
  ImportHost host(*this);
  vantorelle::ImportVelmoProject(doc_, host);
  Repaint(RedrawMask::All);
}

void MainWindow::CustomizeKeyboard() {
  if (!shortcuts_) return;
  KeyboardWindow dialog(*shortcuts_, ui_, this);
  dialog.exec();
  zoomStrip_->ShowKeysInTips(*shortcuts_);
}

CSrc* MainWindow::AskForSource() {
  const auto path = AskSourceFile(doc_, "Add source file", doc_.preferences.loadSourceFilterIndex);
  if (!path) return nullptr;
  if (CSrc* known = doc_.FindSourceByPath(*path)) return known;
  return clipCollection_->SourceForPath(*path);
}

void MainWindow::AddSourceFile() {
  if (CSrc* source = AskForSource()) area_->StartPendingPlacement(*source);
}

void MainWindow::AddSourceFileAt(int, int) { AddSourceFile(); }

void MainWindow::OpenClipProperties(CFilm& clip) {
  const WorkAreaView view = navigator_->View();
  if (ExecClipPropertiesDialog(doc_, clip, this, &view)) Repaint(RedrawMask::All);
}

bool MainWindow::AskRepeatClip(RepeatClipDialog& dialog) { return ExecRepeatClipDialog(dialog, this); }

void MainWindow::PlayClip(CFilm& clip) { playback_->PlayClip(clip); }

bool MainWindow::ConfirmDiscardChanges() {
  if (!doc_.IsModified()) return true;
  const std::string name = doc_.ProjectPath().empty()
                               ? std::string("Untitled")
                               : QFileInfo(QString::fromStdString(doc_.ProjectPath())).fileName().toStdString();
  switch (ui_.ShowMessage("Save changes to " + name + "?", "Vantorelle", MessageIcon::Warning,
                          MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes: return SaveProject();
    case MessageAnswer::No: return true;
    default: return false;
  }
}

void MainWindow::OpenProject(const std::string& path) {
  switch (OpenProjectFile(doc_, path)) {
    case ProjectOpenOutcome::Opened:
      ApplyDocumentLayout();
      OpenSourcesForPlayback();
      [[fallthrough]];
    case ProjectOpenOutcome::EmptyFile: RememberProject(); break;
    case ProjectOpenOutcome::Unreadable:
    case ProjectOpenOutcome::Failed: recentFiles_.Remove(path); RefreshRecentFiles(); break;
  }
  FollowDocument();
}

void MainWindow::OpenProjectDialog() {
  if (!ConfirmDiscardChanges()) return;
  FileDialogRequest request;
  request.title = "Open";
  request.filters = {{kProjectFilter, "*.vrp"}};
  request.defaultExtension = "vrp";
  if (const auto path = ui_.AskOpenFileName(request)) OpenProject(*path);
}

bool MainWindow::SaveProject() {
  if (doc_.ProjectPath().empty()) return SaveProjectAs();
  RecordLayoutInDocument();
  const bool saved = SaveProjectFile(doc_, doc_.ProjectPath());
  if (saved) {
    RememberProject();
    if (autosave_) autosave_->OnSaved();
  }
  UpdateTitle();
  return saved;
}

bool MainWindow::SaveProjectAs() {
  FileDialogRequest request;
  request.title = "Save As";
  request.filters = {{kProjectFilter, "*.vrp"}};
  request.defaultExtension = "vrp";
  request.initialName = doc_.ProjectPath().empty() ? "Untitled.vrp" : doc_.ProjectPath();
  const auto path = ui_.AskSaveFileName(request);
  if (!path) return false;
  RecordLayoutInDocument();
  const bool saved = SaveProjectFile(doc_, *path);
  if (saved) {
    RememberProject();
    if (autosave_) autosave_->OnSaved();
  }
  UpdateTitle();
  return saved;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (ConfirmDiscardChanges() && ConfirmQuitOverExport()) {
    SavePlacement();
    if (autosave_) autosave_->OnCleanClose();
    event->accept();
  } else {
    event->ignore();
  }
}

namespace {

// The first project file among dropped files.
std::optional<std::string> DroppedProject(const QMimeData& data) {
  if (!data.hasUrls()) return std::nullopt;
  for (const QUrl& url : data.urls()) {
    const QString path = url.toLocalFile();
    if (path.endsWith(".vrp", Qt::CaseInsensitive)) return path.toStdString();
  }
  return std::nullopt;
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (DroppedProject(*event->mimeData())) event->acceptProposedAction();
}

// A project file dropped on the window opens as if chosen in "Open project...".
void MainWindow::dropEvent(QDropEvent* event) {
  const auto project = DroppedProject(*event->mimeData());
  if (!project) return;
  event->acceptProposedAction();
  if (ConfirmDiscardChanges()) OpenProject(*project);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  NoteInput(*event);
  if (event->type() != QEvent::KeyPress || !shortcuts_) return QMainWindow::eventFilter(watched, event);
  // Only keys meant for this window's panes; dialogs keep their own keys.
  // A bar or the monitor floating on its own is still one of this window's panes.
  auto* widget = qobject_cast<QWidget*>(watched);
  QWidget* top = widget ? widget->window() : nullptr;
  const bool ours = top == this || (qobject_cast<QDockWidget*>(top) && top->parentWidget() == this);
  if (!ours) return QMainWindow::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  KeyDown down;
  down.virtualKey = VirtualKeyOf(*key);
  down.ctrl = key->modifiers() & Qt::ControlModifier;
  down.shift = key->modifiers() & Qt::ShiftModifier;
  if (down.virtualKey == 0) return QMainWindow::eventFilter(watched, event);
  const QPoint pointer = QCursor::pos();
  if (DispatchShortcut(*shortcuts_, shortcutPanes_, down, pointer.x(), pointer.y())) return true;
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace vantorelle::shell
