// The main window's own windows: the bars kept between runs, the recent
// projects of the File menu and the "Set Range" dialog.
#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <array>
#include <filesystem>
#include <stdexcept>

#include "commands/pane_command_ids.h"
#include "document/autosave.h"
#include "document/project_storage.h"
#include "support/file_bytes.h"
#include "shell/editor_fixture.h"
#include "time_ruler_widget.h"
#include "timeline/command_ids.h"
#include "timeline/time_ruler.h"

namespace vantorelle::testing {
namespace {

QMenu* MenuNamed(shell::MainWindow& window, const QString& title) {
  for (QAction* action : window.menuBar()->actions()) {
    if (action->menu() && action->text().remove('&') == title) return action->menu();
  }
  return nullptr;
}

// The menu as it is about to show: its items have their texts and states.
QStringList ItemTexts(QMenu& menu) {
  emit menu.aboutToShow();
  QStringList texts;
  for (QAction* action : menu.actions()) {
    if (!action->isSeparator()) texts << action->text();
  }
  return texts;
}

QAction* ItemNamed(QMenu& menu, const QString& text) {
  emit menu.aboutToShow();
  for (QAction* action : menu.actions()) {
    if (action->text() == text) return action;
  }
  return nullptr;
}

using MainWindowViews = EditorFixture;

TEST_F(MainWindowViews, FileMenuNamesTheRecentProjects) {
  for (const char* name : {"alpha.vrp", "beta.vrp"}) {
    ui_.saveAnswers.push_back(dir_.File(name));
    Window().RunCommand(CommandId::SaveProjectAs);
  }
  QMenu* file = MenuNamed(Window(), "File");
  ASSERT_NE(file, nullptr);
  const QStringList texts = ItemTexts(*file);
  EXPECT_TRUE(texts.contains("&1 beta.vrp")) << texts.join(" | ").toStdString();
  EXPECT_TRUE(texts.contains("&2 alpha.vrp")) << texts.join(" | ").toStdString();
  EXPECT_FALSE(texts.contains("")) << texts.join(" | ").toStdString();
  // Shown a second time, the names stay.
  EXPECT_EQ(ItemTexts(*file), texts);

  // A recent project opens from the menu.
  Window().RunCommand(CommandId::NewProject);
  QAction* alpha = ItemNamed(*file, "&2 alpha.vrp");
  ASSERT_NE(alpha, nullptr);
  alpha->trigger();
  EXPECT_EQ(Doc().ProjectPath(), dir_.File("alpha.vrp"));
}

// The dialog's fields, found by their labels as a person finds them.
QLineEdit* FieldLabelled(QWidget& dialog, const QString& label) {
  for (QLabel* text : dialog.findChildren<QLabel*>()) {
    if (text->text() == label) return qobject_cast<QLineEdit*>(text->buddy());
  }
  return nullptr;
}

void Keys(QWidget& field, std::initializer_list<Qt::Key> keys) {
  for (Qt::Key key : keys) QTest::keyClick(&field, key);
}

// The focus comes to a field as when Tab is pressed in the dialog.
void TabInto(QWidget& field) {
  QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(&field, &focus);
}

TEST_F(MainWindowViews, SetRangeDialogEditsTheTimesItShows) {
  // The widgets have no meta-object of their own, so they are told apart by type.
  shell::TimeRulerWidget* ruler = nullptr;
  for (QWidget* child : Window().findChildren<QWidget*>()) {
    if (!ruler) ruler = dynamic_cast<shell::TimeRulerWidget*>(child);
  }
  ASSERT_NE(ruler, nullptr);
  Doc().times.projectSize = 20000.0;
  Doc().times.rangeStart = 1000.0;
  Doc().times.rangeStop = 5000.0;

  struct Seen {
    QString left, right, size;
  };
  std::vector<Seen> seen;
  bool acted = false;
  QTimer driver;
  driver.setInterval(10);
  QObject::connect(&driver, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || acted) return;
    acted = true;
    QLineEdit* left = FieldLabelled(*dialog, "Left:");
    QLineEdit* right = FieldLabelled(*dialog, "Right:");
    QLineEdit* size = FieldLabelled(*dialog, "Size:");
    if (!left || !right || !size) {
      ADD_FAILURE() << "the dialog lacks a Left:, Right: or Size: field";
      dialog->reject();
      return;
    }
    const auto look = [&] { seen.push_back({left->text(), right->text(), size->text()}); };
    look();  // as it opens
    TabInto(*right);
    Keys(*right, {Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_8});  // the seconds' units digit
    look();
    TabInto(*left);
    Keys(*left, {Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_3});
    look();
    TabInto(*right);
    Keys(*right, {Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_2});  // before Left: held at Left
    look();
    Keys(*right, {Qt::Key_Left, Qt::Key_7});
    look();
    TabInto(*left);  // moving about changes nothing
    TabInto(*right);
    look();
    dialog->accept();
  });
  driver.start();
  QTimer::singleShot(3000, &driver, &QTimer::stop);
  ruler->RunCommand(TimeRulerMenu::kSetRange);
  driver.stop();

  ASSERT_EQ(seen.size(), 6u);
  const std::vector<std::array<const char*, 3>> expected = {
      {"00:00:01:000", "00:00:05:000", "00:00:04:000"}, {"00:00:01:000", "00:00:08:000", "00:00:07:000"},
      {"00:00:03:000", "00:00:08:000", "00:00:05:000"}, {"00:00:03:000", "00:00:03:000", "00:00:00:000"},
      {"00:00:03:000", "00:00:07:000", "00:00:04:000"}, {"00:00:03:000", "00:00:07:000", "00:00:04:000"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(seen[i].left.toStdString(), expected[i][0]) << "step " << i;
    EXPECT_EQ(seen[i].right.toStdString(), expected[i][1]) << "step " << i;
    EXPECT_EQ(seen[i].size.toStdString(), expected[i][2]) << "step " << i;
  }
  EXPECT_EQ(Doc().times.rangeStart, 3000.0);
  EXPECT_EQ(Doc().times.rangeStop, 7000.0);
}

// The editor started, quit and started again on the same settings folder.
class EditorRestarts : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }
  void TearDown() override {
    if (window_) Quit();
  }

  void Start() {
    qputenv("VANTORELLE_CACHE_DIR", QByteArray::fromStdString(dir_.File("cache")));
    settings_ = std::make_unique<FileSettingsStore>(dir_.Path() / "config");
    board_ = SelectBoard({}, "pal");
    ASSERT_TRUE(board_.error.empty()) << board_.error;
    app_.Start(*settings_, *board_.factory);
    auto table = std::make_unique<CShortCutTable>();
    CShortCutTable* shortcuts = table.get();
    doc_ = std::make_unique<CVantorelleDoc>(
        DocumentServices{*settings_, app_.FirstRun(), ui_, *board_.factory, std::move(table)});
    doc_->NewProject();
    window_ = std::make_unique<shell::MainWindow>(app_, *doc_, ui_, shortcuts, *settings_, board_.wiring);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  // As the program ends: the window is closed, and once it is gone from the
  // screen the placement is saved again on the way out.
  void Quit() {
    window_->close();
    window_->SavePlacement();
    window_.reset();
    doc_.reset();
    app_.Shutdown(*settings_);
    settings_->Flush();
    settings_.reset();
  }

  QDockWidget& Viewer() { return *window_->findChild<QDockWidget*>("ProjectViewer"); }
  QDockWidget& Collection() {
    for (QDockWidget* dock : window_->findChildren<QDockWidget*>()) {
      if (dock->objectName() != "ProjectViewer" && dock->objectName() != "Monitor") return *dock;
    }
    throw std::runtime_error("no Clip Collection bar");
  }

  TempDir dir_;
  ScriptedUserInterface ui_;
  std::unique_ptr<FileSettingsStore> settings_;
  CVantorelleApp app_;
  BoardSelection board_;
  std::unique_ptr<CVantorelleDoc> doc_;
  std::unique_ptr<shell::MainWindow> window_;
};

TEST_F(EditorRestarts, BarsComeBackAsTheyWere) {
  window_->RunCommand(FrameCommand::ShowProjectViewer);
  ASSERT_TRUE(Viewer().isVisible());
  ASSERT_TRUE(Collection().isVisible());
  Quit();
  Start();
  EXPECT_TRUE(Viewer().isVisible());
  EXPECT_TRUE(Collection().isVisible());
  EXPECT_FALSE(Collection().isFloating());
  window_->RunCommand(CommandId::NewProject);
  EXPECT_TRUE(Viewer().isVisible());
  EXPECT_TRUE(Collection().isVisible());

  // A crash leaves a recovery copy; taken back at the next start, it leaves
  // the bars as they stood.
  const std::string project = dir_.File("before crash.vrp");
  ASSERT_TRUE(SaveProjectFile(*doc_, project));
  Quit();
  std::filesystem::create_directories(dir_.File("cache/recovery"));
  WriteBytes(dir_.File("cache/recovery/recovery-1-1.vrr"), EncodeRecoveryFile({FileBytes(project), project}));
  Start();
  ui_.messageAnswers.push_back(MessageAnswer::Yes);
  window_->OfferRecovery();
  ASSERT_EQ(doc_->ProjectPath(), project) << "the recovery copy was not taken";
  EXPECT_TRUE(Viewer().isVisible());
  EXPECT_TRUE(Collection().isVisible());
  doc_->SetModified(false);

  // A bar hidden by hand stays hidden; the other stays shown.
  window_->RunCommand(FrameCommand::ShowClipCollectionBar);
  ASSERT_FALSE(Collection().isVisible());
  Quit();
  Start();
  EXPECT_TRUE(Viewer().isVisible());
  EXPECT_FALSE(Collection().isVisible());

  // A floating bar floats again at its place.
  window_->RunCommand(FrameCommand::ShowClipCollectionBar);
  Collection().setFloating(true);
  Collection().setGeometry(QRect(140, 120, 640, 260));
  QApplication::processEvents();
  const QRect floating = Collection().geometry();
  Quit();
  Start();
  EXPECT_TRUE(Collection().isVisible());
  EXPECT_TRUE(Collection().isFloating());
  EXPECT_EQ(Collection().geometry(), floating);
  EXPECT_TRUE(Viewer().isVisible());
}

TEST_F(EditorRestarts, MonitorComesBackAsItWas) {
  auto monitor = [&]() -> QDockWidget& { return *window_->findChild<QDockWidget*>("Monitor"); };
  ASSERT_TRUE(monitor().isVisible());
  EXPECT_FALSE(monitor().isFloating());

  // Closed by hand, it stays closed until View › Monitor.
  monitor().close();
  Quit();
  Start();
  EXPECT_FALSE(monitor().isVisible());
  window_->RunCommand(CommandId::Monitor);
  EXPECT_TRUE(monitor().isVisible());

  // Floating, it floats again at its place.
  monitor().setFloating(true);
  monitor().setGeometry(QRect(300, 150, 480, 420));
  QApplication::processEvents();
  const QRect floating = monitor().geometry();
  Quit();
  Start();
  EXPECT_TRUE(monitor().isVisible());
  EXPECT_TRUE(monitor().isFloating());
  EXPECT_EQ(monitor().geometry(), floating);
}

}  // namespace
}  // namespace vantorelle::testing
