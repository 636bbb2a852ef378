// File › Export… in the editor: the command in the menu, the toolbar and on
// Ctrl+E, the dialog drawing its model, refusals that keep it open, the
// progress in the status bar and the export window, Cancel, and the question
// before the editor closes over a running export.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <functional>

#include "export_dialog_window.h"
#include "shell/editor_fixture.h"
#include "shell/export_window_helpers.h"
#include <QLabel>
#include "timeline/command_ids.h"

namespace vantorelle::testing {
namespace {

// An export that runs until cancelled, with progress the test sets.
struct EndlessRun : IExportRun {
  struct Shared {
    ExportProgress progress;
    int cancels = 0;
  };
  explicit EndlessRun(std::shared_ptr<Shared> shared) : shared(std::move(shared)) {}
  ExportProgress Progress() const override { return shared->progress; }
  void Cancel() override {
    ++shared->cancels;
    shared->progress.state = ExportState::Cancelled;
  }
  std::shared_ptr<Shared> shared;
};

class ExportWindow : public ExportFixture {
 protected:
  // The scripted export every start gets.
  std::shared_ptr<EndlessRun::Shared> ScriptExports() {
    auto shared = std::make_shared<EndlessRun::Shared>();
    Window().Exports().SetStarter([this, shared](const ExportRequest& request) {
      requests_.push_back(request);
      shared->progress = ExportProgress{};
      shared->progress.output = request.output;
      return ExportStart{std::make_unique<EndlessRun>(shared), {}};
    });
    return shared;
  }
  std::vector<ExportRequest> requests_;
};

TEST_F(ExportWindow, TheCommandIsInTheFileMenuTheToolbarAndOnCtrlE) {
  QMenu* file = nullptr;
  for (QAction* action : Window().menuBar()->actions()) {
    if (action->menu() && action->text().remove('&') == "File") file = action->menu();
  }
  ASSERT_NE(file, nullptr);
  emit file->aboutToShow();
  QStringList texts;
  for (QAction* action : file->actions()) texts << action->text();
  EXPECT_TRUE(texts.contains("Export...\tCtrl + E")) << texts.join(" | ").toStdString();

  const auto* bar = Window().findChild<QToolBar*>("StandardToolBar");
  ASSERT_NE(bar, nullptr);
  QAction* button = nullptr;
  for (QAction* action : bar->actions()) {
    if (action->data().toInt() == CommandId::Export) button = action;
  }
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), "Export");
  EXPECT_TRUE(button->isEnabled());

  EXPECT_EQ(RunClosingDialog(CommandId::Export), QString("Export"));
  bool shown = false;
  WithExportDialog([&] {
    PointAt(QPoint(40, 40));
    PressKey(Qt::Key_E, Qt::ControlModifier);
  }, [&](shell::ExportDialogWindow& dialog) {
    shown = true;
    dialog.reject();
  });
  EXPECT_TRUE(shown) << "Ctrl+E opens the Export dialog";
}

TEST_F(ExportWindow, TheDialogDrawsItsModelAndARefusalKeepsItOpen) {
  const std::string movie = WriteMovie("movie.avi");
  ASSERT_NE(Collect(movie), nullptr);
  bool checked = false;
  WithExportDialog([&] { Window().RunCommand(CommandId::Export); }, [&](shell::ExportDialogWindow& dialog) {
    auto* presets = dialog.findChild<QComboBox*>("exportPreset");
    auto* output = dialog.findChild<QLineEdit*>("exportOutput");
    auto* quality = dialog.findChild<QSlider*>("exportQuality");
    auto* range = dialog.findChild<QRadioButton*>("exportSpan1");
    auto* start = dialog.findChild<QPushButton*>("exportStart");
    ASSERT_TRUE(presets && output && quality && range && start);
    ASSERT_EQ(presets->count(), static_cast<int>(ExportPresets().size()));
    EXPECT_EQ(presets->itemText(0).toStdString(), std::string(ExportPresets()[0].title));
    EXPECT_TRUE(output->text().endsWith("Untitled.mp4")) << output->text().toStdString();
    EXPECT_FALSE(range->isEnabled()) << "no range is set";
    EXPECT_EQ(range->toolTip(), "No range is set.");
    EXPECT_TRUE(quality->isEnabled());
    presets->setCurrentIndex(5);  // WAV
    EXPECT_FALSE(quality->isEnabled());
    EXPECT_TRUE(output->text().endsWith("Untitled.wav")) << output->text().toStdString();
    presets->setCurrentIndex(4);  // WebM
    EXPECT_TRUE(quality->isEnabled());
    EXPECT_TRUE(output->text().endsWith("Untitled.webm"));
    // The movie the project reads is refused; the dialog stays.
    output->setText(QString::fromStdString(movie));
    start->click();
    EXPECT_TRUE(dialog.isVisible());
    checked = true;
    dialog.reject();
  });
  ASSERT_TRUE(checked);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("the project reads it"), std::string::npos) << ui_.messages[0].text;
  EXPECT_FALSE(Window().Exports().Running());
  EXPECT_TRUE(std::filesystem::exists(movie));
}

TEST_F(ExportWindow, ProgressShowsInTheStatusBarAndTheWindowAndCancelStopsIt) {
  auto run = ScriptExports();
  const std::string target = dir_.File("out/film.mp4");
  ASSERT_TRUE(StartExport(0, target));
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].output, target);
  auto* statusBarProgress = Window().findChild<QProgressBar*>("exportStatusBar");
  auto* exportWindow = Window().findChild<QWidget*>("exportProgressWindow");
  ASSERT_TRUE(statusBarProgress && exportWindow);
  EXPECT_TRUE(statusBarProgress->isVisible());
  EXPECT_TRUE(exportWindow->isVisible());

  run->progress.framesDone = 30;
  run->progress.framesTotal = 120;
  run->progress.speed = 1.5;
  run->progress.secondsLeft = 4;
  ASSERT_TRUE(WaitFor([&] { return statusBarProgress->value() == 25; }, 3000));
  EXPECT_EQ(Window().statusBar()->currentMessage().toStdString(),
            "Exporting: 30 of 120 frames (25%), 1.5\u00d7 real time, 0:04 left");
  auto labels = exportWindow->findChildren<QLabel*>();
  QStringList texts;
  for (QLabel* label : labels) texts << label->text();
  EXPECT_TRUE(texts.contains("30 of 120 frames")) << texts.join(" | ").toStdString();
  EXPECT_TRUE(texts.contains("0:04 left"));

  // A second Export… says that one runs, and opens no dialog.
  ui_.messages.clear();
  Window().RunCommand(CommandId::Export);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("running already"), std::string::npos);
  EXPECT_EQ(requests_.size(), 1u);

  exportWindow->findChild<QPushButton*>("exportCancel")->click();
  EXPECT_EQ(run->cancels, 1);
  ASSERT_TRUE(WaitFor([&] { return !Window().Exports().Running(); }, 3000));
  EXPECT_FALSE(statusBarProgress->isVisible());
  EXPECT_FALSE(exportWindow->isVisible());
  EXPECT_EQ(Window().statusBar()->currentMessage(), "Export cancelled");
}

TEST_F(ExportWindow, ClosingTheEditorOverARunningExportAsksFirst) {
  auto run = ScriptExports();
  ASSERT_TRUE(StartExport(0, dir_.File("out/film.mp4")));
  ui_.messages.clear();
  ui_.messageAnswers = {MessageAnswer::No};
  EXPECT_FALSE(Window().close());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "An export is running. Stop it and quit?");
  EXPECT_EQ(run->cancels, 0);
  EXPECT_TRUE(Window().Exports().Running());

  ui_.messageAnswers = {MessageAnswer::Yes};
  EXPECT_TRUE(Window().close());
  EXPECT_EQ(run->cancels, 1);
  EXPECT_FALSE(Window().Exports().Running());
}

}  // namespace
}  // namespace vantorelle::testing
