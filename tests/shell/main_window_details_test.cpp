// Details of the main window a person sees: the toolbar's buttons, the
// status texts of the track area's menu, the captions and fields of the
// keyboard and audio track windows, and what the Clip Collection's browser
// takes from the settings and gives back to the project.
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

#include <gmock/gmock.h>

#include "clip_collection_bar.h"
#include "keyboard_window.h"
#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"
#include "track_area_widget.h"
#include "track_headers_widget.h"

namespace vantorelle::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Not;

namespace Id = CommandId;

class MainWindowDetails : public EditorFixture {
 protected:
  // Runs `inspect` on the modal dialog or popup menu that `open` shows, then
  // lets `open` return; a window that never shows is closed by a watchdog.
  void WhileShown(const std::function<void()>& open, const std::function<void(QWidget&)>& inspect) {
    bool inspected = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* shown = QApplication::activePopupWidget();
      if (!shown) shown = QApplication::activeModalWidget();
      if (!shown || inspected) return;
      inspected = true;
      poll.stop();
      inspect(*shown);
      if (shown->isVisible()) shown->close();
    });
    poll.start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
      if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    watchdog.start(5000);
    open();
    poll.stop();
    EXPECT_TRUE(inspected) << "nothing showed";
  }

  shell::TrackHeadersWidget& Headers() {
    shell::TrackHeadersWidget* widget = nullptr;
    for (QWidget* child : Window().findChildren<QWidget*>()) {
      if (!widget) widget = dynamic_cast<shell::TrackHeadersWidget*>(child);
    }
    EXPECT_NE(widget, nullptr);
    return *widget;
  }
};

TEST_F(MainWindowDetails, ToolbarCarriesItsCommandsInOrder) {
  const auto* bar = Window().findChild<QToolBar*>("StandardToolBar");
  ASSERT_NE(bar, nullptr);
  std::vector<int> layout;
  for (const QAction* action : bar->actions()) layout.push_back(action->isSeparator() ? 0 : action->data().toInt());
  const std::vector<int> expected{Id::NewProject, Id::OpenProject, Id::SaveProject, Id::SaveProjectAs,
                                  Id::AddSourceFile, Id::Export, 0,
                                  Id::Delete, Id::Copy, Id::Cut, Id::Paste, Id::Insert, Id::SplitClip,
                                  Id::Snapping, 0,
                                  Id::Undo, Id::Redo, 0,
                                  Id::Rewind, Id::Play, Id::Stop, Id::PreviousFrame, Id::NextFrame, 0,
                                  Id::Settings, Id::About};
  EXPECT_THAT(layout, ElementsAreArray(expected));
  // The buttons follow the menu's rules: nothing is selected, so Delete is off.
  QTest::qWait(300);
  for (QAction* action : bar->actions()) {
    if (action->data().toInt() == Id::Delete) {
      EXPECT_FALSE(action->isEnabled());
    }
    if (action->data().toInt() == Id::SaveProjectAs) {
      EXPECT_TRUE(action->isEnabled());
    }
  }
}

TEST_F(MainWindowDetails, TrackAreaMenuItemsShowTheCommandTableDescriptions) {
  CSrc* source = Collect(WriteMovie("movie.avi"));
  ASSERT_NE(source, nullptr);
  const auto row = RowOf(*FirstTrackOfKind(TrackKind::Video));
  ASSERT_TRUE(row.has_value());
  const int y = (row->rect.top + row->rect.bottom) / 2;
  ASSERT_TRUE(Area().Controller()->DragOver(*source, 100, y));
  ASSERT_TRUE(Area().Controller()->Drop(*source, 100, y));
  Window().RunCommand(Id::Copy);  // the dropped clips are selected
  ASSERT_FALSE(Doc().timeline.clipboard.empty());

  const CShortCutTable table;
  std::map<std::string, std::string> shown;
  const QPoint at(Area().width() - 20, y);  // an empty place of the track
  WhileShown(
      [&] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, Area().mapToGlobal(at));
        QApplication::sendEvent(&Area(), &event);
      },
      [&](QWidget& popup) {
        auto* menu = qobject_cast<QMenu*>(&popup);
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
          if (action->isSeparator() || !action->isEnabled()) continue;
          menu->setActiveAction(action);
          shown[action->text().toStdString()] = Window().statusBar()->currentMessage().toStdString();
        }
      });
  EXPECT_EQ(shown["Paste"], table.PromptText(Id::AreaPaste));
  EXPECT_EQ(shown["Insert"], table.PromptText(Id::AreaInsert));
  EXPECT_NE(shown["Paste"], "Ready");
  EXPECT_EQ(shown["Add source file..."], "Add source file");
}

TEST_F(MainWindowDetails, KeyboardWindowSavesAndLoadsWithItsOwnButtonTexts) {
  CShortCutTable table;
  shell::KeyboardWindow window(table, ui_);
  std::vector<std::string> texts;
  for (const QPushButton* button : window.findChildren<QPushButton*>()) texts.push_back(button->text().toStdString());
  EXPECT_THAT(texts, Contains("Save "));
  EXPECT_THAT(texts, Contains("Load"));
  EXPECT_THAT(texts, Not(Contains("Save...")));
}

TEST_F(MainWindowDetails, AudioTrackPropertiesTakeAWholePercentFromOneToHundred) {
  CTrack* audio = FirstTrackOfKind(TrackKind::Audio);
  ASSERT_NE(audio, nullptr);
  audio->volume = 0.456;
  QString caption;
  WhileShown([&] { Headers().OpenAudioTrackProperties(*audio); },
             [&](QWidget& dialog) {
               caption = dialog.windowTitle();
               auto* level = dialog.findChild<QSpinBox*>();
               ASSERT_NE(level, nullptr);
               EXPECT_EQ(level->minimum(), 1);
               EXPECT_EQ(level->maximum(), 100);
               EXPECT_EQ(level->value(), 45);
               level->setValue(37);
               auto* buttons = dialog.findChild<QDialogButtonBox*>();
               ASSERT_NE(buttons, nullptr);
               buttons->button(QDialogButtonBox::Ok)->click();
             });
  EXPECT_EQ(caption, "Audio Track Properties");
  EXPECT_DOUBLE_EQ(audio->volume, 0.37);
  EXPECT_TRUE(Doc().IsModified());
}

TEST_F(MainWindowDetails, DirectoryViewShowsTheFilterChosenInTheSettings) {
  QFileSystemModel* files = nullptr;
  for (QFileSystemModel* model : Collection().findChildren<QFileSystemModel*>()) {
    if (model->filter() == QDir::Files) files = model;
  }
  ASSERT_NE(files, nullptr);
  ASSERT_GE(Doc().sourceDialogFilters.size(), 3u);
  // All media files lead the list, then AVI and Wave.
  const QString wave = QString::fromStdString(Doc().sourceDialogFilters[2].second);
  WhileShown([&] { Window().RunCommand(Id::Settings); },
             [&](QWidget& dialog) {
               QComboBox* filter = nullptr;
               for (QComboBox* box : dialog.findChildren<QComboBox*>()) {
                 if (box->count() > 0 && box->itemText(0).toStdString() == Doc().sourceDialogFilters[0].first) {
                   filter = box;
                 }
               }
               ASSERT_NE(filter, nullptr);
               filter->setCurrentIndex(2);
               emit filter->activated(2);
               dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
             });
  EXPECT_EQ(Doc().preferences.dirViewFilterIndex, 1) << "Wave, stored as before all media files led the list";
  EXPECT_THAT(files->nameFilters(), Contains(wave));
  EXPECT_THAT(files->nameFilters(), Not(Contains(QString::fromStdString(Doc().sourceDialogFilters[1].second))));
}

TEST_F(MainWindowDetails, SavedProjectKeepsTheFoldersExpandedNow) {
  // The folder tree is the tree view over the file system; the clip list is another.
  QTreeView* tree = nullptr;
  QFileSystemModel* folders = nullptr;
  for (QTreeView* view : Collection().findChildren<QTreeView*>()) {
    if (auto* model = qobject_cast<QFileSystemModel*>(view->model())) {
      tree = view;
      folders = model;
    }
  }
  ASSERT_NE(tree, nullptr);
  const QString folder = QString::fromStdString(dir_.Path().string());
  tree->expand(folders->index(folder));
  ui_.saveAnswers.push_back(dir_.File("saved.vrp"));
  Window().RunCommand(Id::SaveProjectAs);
  EXPECT_THAT(Doc().treeNodes, Contains(CTreeNodeInfo{folder.toStdString(), 1}));
}

TEST_F(MainWindowDetails, BarRecordsThePaneWidthsShownNow) {
  Collection().resize(900, 300);
  auto splitters = Collection().findChildren<QSplitter*>();
  QSplitter* panes = nullptr;    // browser | list
  QSplitter* browser = nullptr;  // tree | file viewer
  for (QSplitter* splitter : splitters) {
    if (splitter->orientation() != Qt::Horizontal) continue;
    if (splitter->parentWidget() == &Collection()) panes = splitter;
    else browser = splitter;
  }
  ASSERT_NE(panes, nullptr);
  ASSERT_NE(browser, nullptr);
  panes->setSizes({500, 400});
  browser->setSizes({180, 320});
  ClipCollectionBarSettings settings;
  Collection().RecordLayout(settings);
  EXPECT_EQ(settings.treePaneWidth, browser->sizes()[0]);
  EXPECT_EQ(settings.fileViewerPaneWidth, browser->sizes()[1]);
  EXPECT_EQ(settings.clipColPaneWidth, panes->sizes()[1]);
  EXPECT_NE(settings.clipColPaneWidth, ClipCollectionBarSettings{}.clipColPaneWidth);
}

TEST_F(MainWindowDetails, SavedProjectHoldsThePaneWidthsShownNow) {
  Collection().resize(900, 300);
  QSplitter* panes = nullptr;
  QSplitter* browser = nullptr;
  for (QSplitter* splitter : Collection().findChildren<QSplitter*>()) {
    if (splitter->orientation() != Qt::Horizontal) continue;
    if (splitter->parentWidget() == &Collection()) panes = splitter;
    else browser = splitter;
  }
  ASSERT_NE(panes, nullptr);
  ASSERT_NE(browser, nullptr);
  panes->setSizes({500, 400});
  browser->setSizes({180, 320});
  ui_.saveAnswers.push_back(dir_.File("panes.vrp"));
  Window().RunCommand(Id::SaveProjectAs);
  const ClipCollectionBarBlock& bar = Doc().windowLayout.clipCollectionBar;
  EXPECT_EQ(bar.treePaneWidth, browser->sizes()[0]);
  EXPECT_EQ(bar.fileViewerPaneWidth, browser->sizes()[1]);
  EXPECT_EQ(bar.clipCollectionPaneWidth, panes->sizes()[1]);
  EXPECT_GT(bar.clipCollectionPaneWidth, 0);
  EXPECT_EQ(bar.treePaneChecked, 1);
}

// A file taken from the file viewer shows in the list at once.
TEST_F(MainWindowDetails, AFileActivatedInTheFileViewerShowsInTheListAtOnce) {
  const std::string movie = WriteMovie("viewed.avi");
  QFileSystemModel* files = nullptr;
  for (QFileSystemModel* model : Collection().findChildren<QFileSystemModel*>()) {
    if (model->filter() == QDir::Files) files = model;
  }
  ASSERT_NE(files, nullptr);
  QListView* viewer = nullptr;
  for (QListView* view : Collection().findChildren<QListView*>()) {
    if (view->model() == files) viewer = view;
  }
  ASSERT_NE(viewer, nullptr);
  QTreeWidget* list = Collection().findChild<QTreeWidget*>();
  ASSERT_NE(list, nullptr);
  const int rowsBefore = list->topLevelItemCount();

  const QModelIndex index = files->index(QString::fromStdString(movie));
  ASSERT_TRUE(index.isValid());
  emit viewer->activated(index);
  ASSERT_NE(Doc().FindSourceByPath(movie), nullptr);
  EXPECT_EQ(list->topLevelItemCount(), rowsBefore + 1);
}

// A file dragged onto the track area that cannot be used is answered with
// the reason, once: the refused drag goes no further.
TEST_F(MainWindowDetails, AnUnusableFileDraggedOntoTheTrackAreaIsExplainedOnce) {
  shell::TrackAreaWidget* area = &Area();
  const std::string notes = dir_.WriteFile("notes.txt", "Not a film.\n");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(notes))});
  const QPoint at(area->width() / 2, area->height() / 4);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(area, &enter);
  for (int step = 1; step <= 3; ++step) {
    QDragMoveEvent move(at + QPoint(step * 5, 0), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &move);
  }
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(area, &drop);
  EXPECT_THAT(ui_.MessageTexts(), ElementsAre("Can't use the file " + notes + ":\nno picture or sound stream."));
  EXPECT_EQ(Doc().FindSourceByPath(notes), nullptr);
}

TEST_F(MainWindowDetails, PlacementDialogStartsOnTheStoredFilterAndStoresTheOneChosen) {
  // Stored 1-based as before all media files led the list: 2 is Wave, the
  // dialog's third entry now.
  Doc().preferences.loadSourceFilterIndex = 2;
  ui_.openAnswers.push_back(std::nullopt);
  Window().RunCommand(Id::AddSourceFile);
  EXPECT_EQ(Doc().preferences.loadSourceFilterIndex, 2);  // a cancel keeps it
  ui_.openAnswers.push_back(WriteMovie("filtered.avi"));
  ui_.chosenOpenFilters.push_back(2);  // AVI
  Window().RunCommand(Id::AddSourceFile);
  ASSERT_EQ(ui_.openRequests.size(), 2u);
  EXPECT_EQ(ui_.openRequests[0].filterIndex, 3);
  EXPECT_EQ(ui_.openRequests[1].filterIndex, 3);
  EXPECT_EQ(Doc().preferences.loadSourceFilterIndex, 1);
}

}  // namespace
}  // namespace vantorelle::testing
