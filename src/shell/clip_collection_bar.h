// The Clip Collection bar: the folder tree, the files of the chosen folder,
// the favourite folders and the Clip Collection list itself.
#pragma once

#include <QDockWidget>
#include <QStringList>
#include <memory>

#include "collection/clip_list_commands.h"
#include "collection/clip_list_model.h"
#include "document/settings_general_page.h"
#include "document/window_settings.h"

class QFileSystemModel;
class QListView;
class QListWidget;
class QSplitter;
class QTreeView;
class QTreeWidget;

namespace vantorelle::shell {

// The payload of source drags between the bar's panes and the track area.
inline constexpr const char* kSourceDragMime = "application/x-vantorelle-sources";

class ClipCollectionBar : public QDockWidget, public IClipCollectionHost, public IDirectoryViewFilter {
 public:
  ClipCollectionBar(CVantorelleDoc& doc, std::function<void(std::uint32_t)> repaintViews,
                    std::function<void(const std::string&)> statusText,
                    std::function<std::string(int)> describeCommand, QWidget* parent = nullptr);
  ~ClipCollectionBar() override;

  // The list shows the document's sources again.
  void Refresh();
  ClipListCommands& Commands() { return *commands_; }
  // A source for a path dragged from anywhere: collected first when new.
  CSrc* SourceForPath(const std::string& path);

  // What collecting a source means to the rest of the window: its play
  // component and its frame pictures.
  struct SourceHooks {
    std::function<bool(const CSrc&)> open;
    std::function<void(CSrc&)> pictures;
    std::function<void(const CSrc&)> forget;
  };
  void SetSourceHooks(SourceHooks hooks) { hooks_ = std::move(hooks); }

  bool RegisterSource(const CSrc& source) override { return !hooks_.open || hooks_.open(source); }
  void CacheFrameImages(CSrc& source) override {
    if (hooks_.pictures) hooks_.pictures(source);
  }
  void ForgetFrameImages(const CSrc& source) override {
    if (hooks_.forget) hooks_.forget(source);
  }
  void Repaint(std::int32_t mask) override;

  // The file viewer shows the files of one source filter (General page).
  void ApplyFilterIndex(std::int32_t filterIndex) override;

  // The folders of the tree as shown now: every expanded one, and the
  // current one; with the panes' widths, what the settings keep.
  std::vector<CTreeNodeInfo> TreeNodes() const;
  void RecordLayout(ClipCollectionBarSettings& settings) const;
  // Expands the stored folders and gives the panes their stored widths.
  void ApplyLayout(const ClipCollectionBarSettings& settings);

  // The folder tree opens the folders down to this one, makes it current and
  // keeps it in view while the folders above it load.
  // clip_collection_folders.cpp
  void RevealFolder(const QString& folder);
  // "Add to Favourites" of the folder tree; false for a favourite already.
  bool AddFavourite(const QString& folder);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildBrowser();
  void BuildList();
  void ShowListMenu(const QPoint& globalPosition);
  void StartListDrag();
  void StartFileDrag();
  // clip_collection_folders.cpp
  void SetUpFolderTree();
  void ShowFolderMenu(const QPoint& at);
  // The favourites list shows the document's favourite folders.
  void RefreshFavourites();

  CVantorelleDoc& doc_;
  std::function<void(std::uint32_t)> repaintViews_;
  std::function<void(const std::string&)> statusText_;
  std::function<std::string(int)> describeCommand_;
  std::unique_ptr<CClipList> list_;
  std::unique_ptr<ClipListCommands> commands_;
  QFileSystemModel* folders_ = nullptr;
  QFileSystemModel* files_ = nullptr;
  QSplitter* panes_ = nullptr;    // browser | Clip Collection list
  QSplitter* browser_ = nullptr;  // tree and favourites | file viewer
  QTreeView* tree_ = nullptr;
  QStringList expandedFolders_;
  QString revealing_;  // the folder kept in view while the tree loads, until the person moves it
  QListView* fileView_ = nullptr;
  QListWidget* favourites_ = nullptr;
  QTreeWidget* listView_ = nullptr;
  SourceHooks hooks_;
  QPoint pressAt_;
  QWidget* pressedIn_ = nullptr;
};

}  // namespace vantorelle::shell
