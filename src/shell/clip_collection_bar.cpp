#include "clip_collection_bar.h"

#include <QApplication>
#include <QColor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QSplitter>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

#include "collection/clip_list_columns.h"
#include "collection/clip_list_status_text.h"
#include "collection/directory_view_filter.h"
#include "collection/source_drag_payload.h"
#include "commands/pane_command_ids.h"
#include "document/document_views.h"
#include "source_properties_window.h"

namespace vantorelle::shell {
namespace {

QStringList NameFilters(const std::vector<std::string>& patterns) {
  QStringList filters;
  for (const std::string& pattern : patterns) {
    filters << QString::fromStdString(pattern).toLower() << QString::fromStdString(pattern).toUpper();
  }
  return filters;
}

QByteArray ToBytes(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

ClipCollectionBar::ClipCollectionBar(CVantorelleDoc& doc, std::function<void(std::uint32_t)> repaintViews,
                                     std::function<void(const std::string&)> statusText,
                                     std::function<std::string(int)> describeCommand, QWidget* parent)
    : QDockWidget("Clip Collection", parent),
      doc_(doc),
      repaintViews_(std::move(repaintViews)),
      statusText_(std::move(statusText)),
      describeCommand_(std::move(describeCommand)) {
  setObjectName("ClipCollectionBar");
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  panes_ = splitter;
  splitter->addWidget(BuildBrowser());
  list_ = std::make_unique<CClipList>([this](const std::string& text) {
    return fontMetrics().horizontalAdvance(QString::fromStdString(text));
  });
  commands_ = std::make_unique<ClipListCommands>(doc_, *list_, *this);
  BuildList();
  splitter->addWidget(listView_);
  splitter->setStretchFactor(1, 2);
  setWidget(splitter);
  Refresh();
}

ClipCollectionBar::~ClipCollectionBar() = default;

QWidget* ClipCollectionBar::BuildBrowser() {
  auto* browser = new QSplitter(Qt::Horizontal, this);
  browser_ = browser;
  auto* left = new QSplitter(Qt::Vertical, browser);
  folders_ = new QFileSystemModel(this);
  // Folders come and go seldom, while files in /tmp and the like change all
  // the time: a watched tree would read them again and again as the editor
  // sits idle. It reads a folder when it is opened.
  folders_->setOption(QFileSystemModel::DontWatchForChanges);
  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  folders_->setRootPath("/");
  tree_ = new QTreeView(left);
  tree_->setModel(folders_);
  for (int column = 1; column < folders_->columnCount(); ++column) tree_->hideColumn(column);
  tree_->setHeaderHidden(true);
  // The view keeps no list of its expanded folders: the bar does, in the
  // order they were opened.
  connect(tree_, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    const QString folder = folders_->filePath(index);
    if (!expandedFolders_.contains(folder)) expandedFolders_.append(folder);
  });
  connect(tree_, &QTreeView::collapsed, this,
          [this](const QModelIndex& index) { expandedFolders_.removeAll(folders_->filePath(index)); });
  tree_->setCurrentIndex(folders_->index(QDir::homePath()));
  favourites_ = new QListWidget(left);
  SetUpFolderTree();
  files_ = new QFileSystemModel(this);
  files_->setFilter(QDir::Files);
  files_->setNameFilterDisables(false);
  ApplyFilterIndex(doc_.preferences.dirViewFilterIndex);
  fileView_ = new QListView(browser);
  fileView_->setModel(files_);
  fileView_->viewport()->installEventFilter(this);
  const auto showFolder = [this](const QString& folder) {
    fileView_->setRootIndex(files_->setRootPath(folder));
    tree_->setCurrentIndex(folders_->index(folder));
  };
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this, showFolder](const QModelIndex& index) {
            const QString folder = folders_->filePath(index);
            fileView_->setRootIndex(files_->setRootPath(folder));
          });
  connect(favourites_, &QListWidget::itemActivated, this,
          [showFolder](QListWidgetItem* item) { showFolder(item->data(Qt::UserRole).toString()); });
  connect(fileView_, &QListView::activated, this, [this](const QModelIndex& index) {
    // The list shows what was added at once, as after a drop.
    if (commands_->AddSourceFromPath(files_->filePath(index).toStdString(), true) == AddSourceOutcome::Added) Refresh();
  });
  showFolder(QDir::homePath());
  return browser;
}

void ClipCollectionBar::ApplyFilterIndex(std::int32_t filterIndex) {
  files_->setNameFilters(NameFilters(DirectoryViewPatterns(doc_.sourceDialogFilters, filterIndex)));
}

std::vector<CTreeNodeInfo> ClipCollectionBar::TreeNodes() const {
  std::vector<CTreeNodeInfo> nodes;
  for (const QString& folder : expandedFolders_) nodes.push_back({folder.toStdString(), 1});
  const QString current = folders_->filePath(tree_->currentIndex());
  if (!current.isEmpty() && !expandedFolders_.contains(current)) nodes.push_back({current.toStdString(), 0});
  return nodes;
}

void ClipCollectionBar::RecordLayout(ClipCollectionBarSettings& settings) const {
  settings.treeNodes = TreeNodes();
  const QList<int> outer = panes_->sizes();
  const QList<int> inner = browser_->sizes();
  const auto width = [](const QList<int>& sizes, int pane, std::int32_t check) {
    return check && pane < sizes.size() ? static_cast<std::int32_t>(sizes[pane]) : -1;
  };
  settings.treePaneWidth = width(inner, 0, settings.treePaneCheck);
  settings.fileViewerPaneWidth = width(inner, 1, settings.fileViewerPaneCheck);
  settings.clipColPaneWidth = width(outer, 1, settings.clipColPaneCheck);
}

void ClipCollectionBar::ApplyLayout(const ClipCollectionBarSettings& settings) {
  for (const CTreeNodeInfo& node : settings.treeNodes) {
    const QModelIndex index = folders_->index(QString::fromStdString(node.path));
    if (!index.isValid()) continue;
    if (node.expanded) tree_->expand(index);
    else tree_->setCurrentIndex(index);
  }
  if (settings.treePaneWidth > 0 && settings.fileViewerPaneWidth > 0) {
    browser_->setSizes({settings.treePaneWidth, settings.fileViewerPaneWidth});
  }
  if (settings.clipColPaneWidth > 0) {
    const int browserWidth = std::max(1, settings.treePaneWidth) + std::max(1, settings.fileViewerPaneWidth);
    panes_->setSizes({browserWidth, settings.clipColPaneWidth});
  }
  RevealFolder(folders_->filePath(tree_->currentIndex()));
}

void ClipCollectionBar::BuildList() {
  listView_ = new QTreeWidget(this);
  listView_->setRootIsDecorated(false);
  listView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  listView_->setColumnCount(kClipListColumnCount);
  QStringList titles;
  for (int column = 0; column < kClipListColumnCount; ++column) {
    titles << QString::fromStdString(ClipListColumnTitle(column));
  }
  listView_->setHeaderLabels(titles);
  listView_->header()->setSectionsClickable(true);
  listView_->setContextMenuPolicy(Qt::CustomContextMenu);
  listView_->setAcceptDrops(true);
  listView_->viewport()->setAcceptDrops(true);
  listView_->viewport()->installEventFilter(this);
  connect(listView_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (list_->HeaderClick(column)) Refresh();
  });
  connect(listView_, &QTreeWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowListMenu(listView_->viewport()->mapToGlobal(at)); });
  connect(listView_, &QTreeWidget::itemSelectionChanged, this, [this] {
    list_->ClearSelection();
    for (QTreeWidgetItem* item : listView_->selectedItems()) list_->SetSelected(listView_->indexOfTopLevelItem(item), true);
    list_->SetFocusedRow(listView_->currentItem() ? listView_->indexOfTopLevelItem(listView_->currentItem()) : -1);
  });
}

void ClipCollectionBar::Refresh() {
  if (!list_) return;
  RefreshFavourites();
  std::vector<CSrc*> sources = doc_.SourcePointers();
  // The list keeps its own order while sorted; new sources join it.
  if (list_->RowCount() != static_cast<int>(sources.size())) list_->Rebuild(sources);
  listView_->clear();
  for (const ClipListRow& row : list_->Rows()) {
    // Texts from the source as it is now: its usage changes with every edit.
    QStringList texts;
    for (const std::string& text : ClipListCellTexts(*row.source)) texts << QString::fromStdString(text);
    auto* item = new QTreeWidgetItem(listView_, texts);
    item->setData(0, Qt::UserRole, QString::fromStdString(row.source->path));
    item->setSelected(row.selected);
    if (row.source->offline) {
      for (int column = 0; column < item->columnCount(); ++column) item->setForeground(column, QColor(200, 40, 40));
      item->setToolTip(0, QString::fromStdString("File not found: " + row.source->path));
    }
  }
  for (int column = 0; column < kClipListColumnCount; ++column) {
    listView_->setColumnHidden(column, !list_->IsColumnShown(column));
    if (list_->IsColumnShown(column)) listView_->setColumnWidth(column, list_->ColumnWidth(column));
  }
}

CSrc* ClipCollectionBar::SourceForPath(const std::string& path) {
  if (CSrc* known = doc_.FindSourceByPath(path)) return known;
  if (commands_->AddSourceFromPath(path, false) != AddSourceOutcome::Added) return nullptr;
  Refresh();
  return doc_.FindSourceByPath(path);
}

void ClipCollectionBar::Repaint(std::int32_t mask) {
  Refresh();
  repaintViews_(static_cast<std::uint32_t>(mask));
}

void ClipCollectionBar::ShowListMenu(const QPoint& globalPosition) {
  QMenu menu(this);
  const auto add = [&](int id, const QString& text, bool enabled = true) {
    QAction* action = menu.addAction(text);
    action->setData(id);
    action->setEnabled(enabled);
    action->setCheckable(list_->MenuCommandChecked(id));
    action->setChecked(list_->MenuCommandChecked(id));
  };
  add(ClipCollectionCommand::AddSourceFile, "Add source file...");
  add(ClipCollectionCommand::Delete, "Delete", commands_->CanDeleteSourceFile());
  add(ClipCollectionCommand::SelectSourceFile, "Select source file in project", commands_->CanSelectClipsOfSource());
  menu.addSeparator();
  QMenu* view = menu.addMenu("View");
  QMenu* arrange = menu.addMenu("Arrange");
  QMenu* columns = menu.addMenu("Columns");
  const std::pair<ClipListViewMode, const char*> modes[] = {{ClipListViewMode::LargeIcons, "Large Icons"},
                                                             {ClipListViewMode::SmallIcons, "Small Icons"},
                                                             {ClipListViewMode::List, "List"},
                                                             {ClipListViewMode::Details, "Details"}};
  for (const auto& [mode, text] : modes) {
    QAction* action = view->addAction(text);
    action->setData(CommandOfViewMode(mode));
    action->setCheckable(true);
    action->setChecked(list_->ViewMode() == mode);
  }
  for (int column = 0; column < kClipListColumnCount; ++column) {
    const QString title = QString::fromStdString(ClipListColumnTitle(column));
    QAction* sort = arrange->addAction(title);
    sort->setData(ClipListMenuCommand::FirstArrange + column);
    sort->setEnabled(list_->ArrangeItemEnabled(column));
    sort->setCheckable(true);
    sort->setChecked(list_->ArrangeItemChecked(column));
    QAction* show = columns->addAction(title);
    show->setData(ClipListMenuCommand::FirstShowColumn + column);
    show->setCheckable(true);
    show->setChecked(list_->IsColumnShown(column));
    show->setEnabled(column != 0);
  }
  arrange->setEnabled(list_->ArrangeMenuEnabled());
  menu.addSeparator();
  add(ClipCollectionCommand::Properties, "Properties...", list_->FocusedSource() != nullptr);
  for (QMenu* each : {&menu, view, arrange, columns}) {
    connect(each, &QMenu::hovered, this, [this](QAction* action) {
      statusText_(ClipListStatusText(*list_, action->data().toInt(), describeCommand_));
    });
  }
  const QAction* chosen = menu.exec(globalPosition);
  statusText_("Ready");
  if (!chosen) return;
  const int id = chosen->data().toInt();
  switch (id) {
    case ClipCollectionCommand::AddSourceFile: commands_->AddSourceFile(); break;
    case ClipCollectionCommand::Delete: commands_->DeleteSourceFile(); break;
    case ClipCollectionCommand::SelectSourceFile: commands_->SelectClipsOfSource(); break;
    case ClipCollectionCommand::Properties:
      if (CSrc* source = commands_->PropertiesSource()) ShowSourceProperties(doc_, *source, this);
      break;
    default: list_->RunMenuCommand(id); break;
  }
  Refresh();
  repaintViews_(RedrawMask::All);
}

void ClipCollectionBar::StartListDrag() {
  QTreeWidgetItem* current = listView_->currentItem();
  if (!current) return;
  const auto payload = commands_->BeginDrag(listView_->indexOfTopLevelItem(current));
  if (!payload) return;
  auto* data = new QMimeData;
  data->setData(kSourceDragMime, ToBytes(*payload));
  QList<QUrl> urls;
  for (QTreeWidgetItem* item : listView_->selectedItems()) {
    urls << QUrl::fromLocalFile(item->data(0, Qt::UserRole).toString());
  }
  if (urls.isEmpty()) urls << QUrl::fromLocalFile(current->data(0, Qt::UserRole).toString());
  data->setUrls(urls);
  auto* drag = new QDrag(listView_);
  drag->setMimeData(data);
  drag->exec(Qt::CopyAction);
  commands_->EndDrag();
}

void ClipCollectionBar::StartFileDrag() {
  const QModelIndex index = fileView_->currentIndex();
  if (!index.isValid()) return;
  const std::string path = files_->filePath(index).toStdString();
  const auto payload = BuildFileViewerPayload(path);
  if (!payload) return;
  auto* data = new QMimeData;
  data->setData(kSourceDragMime, ToBytes(*payload));
  data->setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  auto* drag = new QDrag(fileView_);
  drag->setMimeData(data);
  drag->exec(Qt::CopyAction);
}

bool ClipCollectionBar::eventFilter(QObject* watched, QEvent* event) {
  // Events arrive while the panes are still being built.
  const bool inList = listView_ && watched == listView_->viewport();
  const bool inFiles = fileView_ && watched == fileView_->viewport();
  if (!inList && !inFiles) return QDockWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) {
        pressAt_ = mouse->position().toPoint();
        pressedIn_ = static_cast<QWidget*>(watched);
      }
      break;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (pressedIn_ == watched && (mouse->buttons() & Qt::LeftButton) &&
          (mouse->position().toPoint() - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
        pressedIn_ = nullptr;
        inList ? StartListDrag() : StartFileDrag();
        return true;
      }
      break;
    }
    case QEvent::MouseButtonRelease: pressedIn_ = nullptr; break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (inList && (drag->mimeData()->hasFormat(kSourceDragMime) || drag->mimeData()->hasUrls())) {
        drag->acceptProposedAction();
        return true;
      }
      break;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (inList && !drop->mimeData()->hasFormat(kSourceDragMime) && drop->mimeData()->hasUrls()) {
        // Files from the desktop's file manager join the collection; known ones silently.
        for (const QUrl& url : drop->mimeData()->urls()) {
          if (url.isLocalFile()) commands_->AddSourceFromPath(url.toLocalFile().toStdString(), false);
        }
        drop->acceptProposedAction();
        Refresh();
        return true;
      }
      if (!inList || !drop->mimeData()->hasFormat(kSourceDragMime)) break;
      const QByteArray bytes = drop->mimeData()->data(kSourceDragMime);
      QTreeWidgetItem* under = listView_->itemAt(drop->position().toPoint());
      commands_->Drop(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                static_cast<std::size_t>(bytes.size())),
                      under ? listView_->indexOfTopLevelItem(under) : -1);
      drop->acceptProposedAction();
      Refresh();
      return true;
    }
    default: break;
  }
  return QDockWidget::eventFilter(watched, event);
}

}  // namespace vantorelle::shell
