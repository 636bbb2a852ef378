// The Clip Collection bar's folder tree and favourite folders: the tree
// opens at the current folder (the home folder on a first start) with that
// folder in view, and its context menu adds a folder to the favourites.
#include <QDir>
#include <QFileSystemModel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTreeView>

#include "clip_collection_bar.h"
#include "collection/favourite_folders.h"

namespace vantorelle::shell {
namespace {

// Whether folder is ancestor itself or lies below it.
bool WithinFolder(const QString& folder, const QString& ancestor) {
  if (folder == ancestor) return true;
  const QString prefix = ancestor.endsWith('/') ? ancestor : ancestor + '/';
  return folder.startsWith(prefix);
}

}  // namespace

void ClipCollectionBar::SetUpFolderTree() {
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tree_, &QTreeView::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowFolderMenu(tree_->viewport()->mapToGlobal(at)); });
  // The folders load and sort in the background; each folder above the
  // revealed one that arrives, and each sort, moves it, so the view follows
  // until the person scrolls or clicks the tree.
  const auto follow = [this] {
    if (revealing_.isEmpty()) return;
    const QModelIndex index = folders_->index(revealing_);
    if (index.isValid()) tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  };
  connect(folders_, &QFileSystemModel::directoryLoaded, this, [this, follow](const QString& loaded) {
    if (!revealing_.isEmpty() && WithinFolder(revealing_, loaded)) follow();
  });
  connect(folders_, &QAbstractItemModel::layoutChanged, this, follow);
  connect(tree_->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { revealing_.clear(); });
  connect(tree_, &QTreeView::pressed, this, [this] { revealing_.clear(); });
  RefreshFavourites();
  RevealFolder(QDir::homePath());
}

void ClipCollectionBar::RevealFolder(const QString& folder) {
  const QModelIndex index = folders_->index(folder);
  if (!index.isValid()) return;
  revealing_ = folder;
  for (QModelIndex above = index.parent(); above.isValid(); above = above.parent()) tree_->expand(above);
  tree_->setCurrentIndex(index);
  tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void ClipCollectionBar::ShowFolderMenu(const QPoint& at) {
  const QModelIndex index = tree_->indexAt(tree_->viewport()->mapFromGlobal(at));
  if (!index.isValid()) return;
  const QString folder = folders_->filePath(index);
  QMenu menu(this);
  QAction* add = menu.addAction("Add to Favourites");
  add->setEnabled(!folder.isEmpty());
  connect(add, &QAction::triggered, this, [this, folder] { AddFavourite(folder); });
  menu.exec(at);
}

bool ClipCollectionBar::AddFavourite(const QString& folder) {
  if (!AddFavouriteFolder(doc_.favouriteDirectories, folder.toStdString(), doc_.preferences.dirViewFilterIndex)) {
    return false;
  }
  RefreshFavourites();
  favourites_->setCurrentRow(favourites_->count() - 1);
  return true;
}

void ClipCollectionBar::RefreshFavourites() {
  if (!favourites_) return;
  // Rebuilt only when the document's list differs: New project empties it,
  // an opened project brings its own.
  bool same = favourites_->count() == static_cast<int>(doc_.favouriteDirectories.size());
  for (int row = 0; same && row < favourites_->count(); ++row) {
    const CFvrDirObject& favourite = doc_.favouriteDirectories[static_cast<std::size_t>(row)];
    const QListWidgetItem* item = favourites_->item(row);
    same = item->text().toStdString() == favourite.name &&
           item->data(Qt::UserRole).toString().toStdString() == favourite.path;
  }
  if (same) return;
  favourites_->clear();
  for (const CFvrDirObject& favourite : doc_.favouriteDirectories) {
    auto* item = new QListWidgetItem(QString::fromStdString(favourite.name), favourites_);
    item->setData(Qt::UserRole, QString::fromStdString(favourite.path));
    item->setToolTip(QString::fromStdString(favourite.path));
  }
}

}  // namespace vantorelle::shell
