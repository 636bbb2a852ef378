// The Clip Collection bar: the folder tree, the files of the chosen folder,
// the favourite folders and the Clip Collection list itself.
#pragma once

#include <QDockWidget>
#include <memory>

#include "collection/clip_list_commands.h"
#include "collection/clip_list_model.h"

class QFileSystemModel;
class QListView;
class QListWidget;
class QTreeView;
class QTreeWidget;

namespace vantorelle::shell {

// The payload of source drags between the bar's panes and the track area.
inline constexpr const char* kSourceDragMime = "application/x-vantorelle-sources";

class ClipCollectionBar : public QDockWidget, public IClipCollectionHost {
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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildBrowser();
  void BuildList();
  void ShowListMenu(const QPoint& globalPosition);
  void StartListDrag();
  void StartFileDrag();

  CVantorelleDoc& doc_;
  std::function<void(std::uint32_t)> repaintViews_;
  std::function<void(const std::string&)> statusText_;
  std::function<std::string(int)> describeCommand_;
  std::unique_ptr<CClipList> list_;
  std::unique_ptr<ClipListCommands> commands_;
  QFileSystemModel* folders_ = nullptr;
  QFileSystemModel* files_ = nullptr;
  QTreeView* tree_ = nullptr;
  QListView* fileView_ = nullptr;
  QListWidget* favourites_ = nullptr;
  QTreeWidget* listView_ = nullptr;
  SourceHooks hooks_;
  QPoint pressAt_;
  QWidget* pressedIn_ = nullptr;
};

}  // namespace vantorelle::shell
