// A first start of the editor (no settings yet): the time line at 0 with the
// time mark in view, the folder tree at the home folder, favourites added
// from the tree and kept, the status bar's hint while the project is empty,
// the zoom buttons' tips, and the window's layout back at the next start.
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFileSystemModel>
#include <QListWidget>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <gmock/gmock.h>

#include "clip_collection_bar.h"
#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"
#include "track_area_widget.h"

namespace vantorelle::testing {
namespace {

constexpr const char* kHint = "Add media with File \u203A Add source file (F4) or drag files here";

class MainWindowFirstStart : public EditorFixture {
 protected:
  // The folder tree is the tree view over the file system; the clip list is another.
  QTreeView* FolderTree(QFileSystemModel** model = nullptr) {
    for (QTreeView* view : Collection().findChildren<QTreeView*>()) {
      if (auto* folders = qobject_cast<QFileSystemModel*>(view->model())) {
        if (model) *model = folders;
        return view;
      }
    }
    ADD_FAILURE() << "no folder tree";
    return nullptr;
  }
  QListWidget* Favourites() { return Collection().findChild<QListWidget*>(); }
  QString Status() { return Window().statusBar()->currentMessage(); }
};

TEST_F(MainWindowFirstStart, TheTimeLineOpensAtZeroWithTheTimeMarkInView) {
  EXPECT_EQ(Doc().timeline.workArea.start, 0.0);
  EXPECT_GT(Doc().timeline.workArea.stop, 0.0);
  EXPECT_EQ(Doc().times.timeMark, 0.0);
  const TrackAreaPicture picture = Picture();
  ASSERT_TRUE(picture.currentTimeX.has_value()) << "the time mark is out of view";
  EXPECT_EQ(*picture.currentTimeX, 0);
}

TEST_F(MainWindowFirstStart, TheFolderTreeOpensAtTheHomeFolderInView) {
  QFileSystemModel* folders = nullptr;
  QTreeView* tree = FolderTree(&folders);
  ASSERT_NE(tree, nullptr);
  const QModelIndex home = folders->index(QDir::homePath());
  ASSERT_TRUE(home.isValid());
  EXPECT_EQ(tree->currentIndex(), home);
  for (QModelIndex above = home.parent(); above.isValid(); above = above.parent()) {
    EXPECT_TRUE(tree->isExpanded(above)) << folders->filePath(above).toStdString();
  }
  // In view once the folders above it have loaded.
  EXPECT_TRUE(WaitFor([&] { return tree->viewport()->rect().contains(tree->visualRect(home)); }, 3000))
      << "home at " << tree->visualRect(home).y() << " of " << tree->viewport()->height();
}

TEST_F(MainWindowFirstStart, AFolderAddedToTheFavouritesIsListedAndKept) {
  const QString folder = QString::fromStdString(dir_.Path().string());
  ASSERT_TRUE(Collection().AddFavourite(folder));
  EXPECT_FALSE(Collection().AddFavourite(folder)) << "a favourite already";
  ASSERT_EQ(Favourites()->count(), 1);
  EXPECT_EQ(Favourites()->item(0)->text(), QString::fromStdString(dir_.Path().filename().string()));
  ASSERT_EQ(Doc().favouriteDirectories.size(), 1u);
  EXPECT_EQ(Doc().favouriteDirectories[0].path, folder.toStdString());

  RestartEditor();
  ASSERT_EQ(Favourites()->count(), 1) << "the favourite was not remembered";
  EXPECT_EQ(Favourites()->item(0)->data(Qt::UserRole).toString(), folder);
  // New project empties the project's favourites; the list follows.
  Window().RunCommand(CommandId::NewProject);
  EXPECT_EQ(Favourites()->count(), 0);
}

TEST_F(MainWindowFirstStart, TheStatusBarSaysHowToBeginUntilTheProjectHasAClip) {
  EXPECT_EQ(Status(), QString::fromUtf8(kHint));
  CSrc* source = Collect(WriteMovie("movie.avi"));
  ASSERT_NE(source, nullptr);
  const auto row = RowOf(*FirstTrackOfKind(TrackKind::Video));
  ASSERT_TRUE(row.has_value());
  const int y = (row->rect.top + row->rect.bottom) / 2;
  EXPECT_EQ(Status(), QString::fromUtf8(kHint)) << "a collected source is no clip yet";
  ASSERT_TRUE(Area().Controller()->DragOver(*source, 100, y));
  ASSERT_TRUE(Area().Controller()->Drop(*source, 100, y));
  QApplication::processEvents();
  EXPECT_EQ(Status(), "Ready");
  Window().RunCommand(CommandId::Undo);
  EXPECT_EQ(Status(), QString::fromUtf8(kHint));
}

TEST_F(MainWindowFirstStart, TheZoomButtonsNameTheirCommandsAndKeys) {
  std::vector<std::string> tips;
  for (QToolButton* button : Window().findChildren<QToolButton*>()) {
    if (button->text() == "+" || button->text() == "-") tips.push_back(button->toolTip().toStdString());
  }
  EXPECT_THAT(tips, ::testing::UnorderedElementsAre("Zoom in - Num (+)", "Zoom out - Num (-)"));
}

TEST_F(MainWindowFirstStart, TheWindowAndItsBarsComeBackAsTheyWereLeftWithoutAProject) {
  auto* viewer = Window().findChild<QDockWidget*>("ProjectViewer");
  ASSERT_NE(viewer, nullptr);
  Window().setGeometry(30, 40, 740, 520);
  viewer->show();
  Window().resizeDocks({viewer}, {230}, Qt::Horizontal);
  Window().resizeDocks({&Collection()}, {260}, Qt::Vertical);
  QApplication::processEvents();
  const QRect window = Window().geometry();
  const int viewerWidth = viewer->width();
  const int barHeight = Collection().height();
  ASSERT_NE(barHeight, 220) << "the bar's first height: the test would prove nothing";

  RestartEditor();
  QApplication::processEvents();
  viewer = Window().findChild<QDockWidget*>("ProjectViewer");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(Window().geometry(), window);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_NEAR(viewer->width(), viewerWidth, 2);
  EXPECT_NEAR(Collection().height(), barHeight, 2);
}

}  // namespace
}  // namespace vantorelle::testing
