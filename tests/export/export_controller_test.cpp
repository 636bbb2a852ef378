// The editor's background export as the controller runs it, over a scripted
// export: the texts of its progress, one export at a time, how it ends and
// the question before the editor closes over it.
#include "export/export_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/scripted_user_interface.h"

namespace vantorelle {
namespace {

using testing::ScriptedUserInterface;
using ::testing::HasSubstr;

// An export whose progress the test sets.
struct ScriptedRun : IExportRun {
  struct Shared {
    ExportProgress progress;
    int cancels = 0;
    bool destroyed = false;
  };
  explicit ScriptedRun(std::shared_ptr<Shared> shared) : shared(std::move(shared)) {}
  ~ScriptedRun() override { shared->destroyed = true; }
  ExportProgress Progress() const override { return shared->progress; }
  void Cancel() override {
    ++shared->cancels;
    shared->progress.state = ExportState::Cancelled;
  }
  std::shared_ptr<Shared> shared;
};

// The user interface that chooses "Open Folder" when offered.
struct OpeningUserInterface : ScriptedUserInterface {
  bool ShowMessageOffering(const std::string& text, const std::string& caption, MessageIcon icon,
                           const std::string& offer) override {
    offers.push_back(offer);
    ShowMessage(text, caption, icon, MessageButtons::Ok);
    return true;
  }
  std::vector<std::string> offers;
};

class ExportControllerTest : public ::testing::Test {
 protected:
  ExportController& Controller(IUserInterface& ui) {
    controller_ = std::make_unique<ExportController>(
        ui,
        [this](const ExportRequest& request) {
          requests_.push_back(request);
          if (!refusal_.empty()) return ExportStart{nullptr, refusal_};
          run_ = std::make_shared<ScriptedRun::Shared>();
          run_->progress.output = request.output;
          return ExportStart{std::make_unique<ScriptedRun>(run_), {}};
        },
        [this](const std::string& folder) { openedFolders_.push_back(folder); });
    return *controller_;
  }
  static ExportRequest Request() {
    ExportRequest request;
    request.output = "/films/out/holiday.mp4";
    return request;
  }

  ScriptedUserInterface ui_;
  std::vector<ExportRequest> requests_;
  std::string refusal_;
  std::shared_ptr<ScriptedRun::Shared> run_;
  std::vector<std::string> openedFolders_;
  std::unique_ptr<ExportController> controller_;
};

TEST_F(ExportControllerTest, ProgressBecomesFramesSpeedAndTimeLeft) {
  ExportController& controller = Controller(ui_);
  ASSERT_TRUE(controller.Start(Request()));
  EXPECT_TRUE(controller.Running());
  EXPECT_TRUE(controller.View().running);
  EXPECT_EQ(controller.View().percent, 0);
  run_->progress.framesDone = 50;
  run_->progress.framesTotal = 200;
  controller.Poll();
  EXPECT_EQ(controller.View().frames, "50 of 200 frames");
  EXPECT_EQ(controller.View().percent, 25);
  EXPECT_EQ(controller.View().speed, "") << "unknown speed is not shown";
  EXPECT_EQ(controller.View().timeLeft, "");
  run_->progress.framesDone = 150;
  run_->progress.speed = 2.46;
  run_->progress.secondsLeft = 65.4;
  controller.Poll();
  EXPECT_EQ(controller.View().percent, 75);
  EXPECT_EQ(controller.View().speed, "2.5\u00d7 real time");
  EXPECT_EQ(controller.View().timeLeft, "1:05 left");
  EXPECT_EQ(controller.View().line, "Exporting: 150 of 200 frames (75%), 2.5\u00d7 real time, 1:05 left");
  EXPECT_EQ(ExportController::DurationText(3725), "1:02:05");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ExportControllerTest, OneExportAtATimeAndARefusalSaysWhy) {
  ExportController& controller = Controller(ui_);
  ASSERT_TRUE(controller.Start(Request()));
  EXPECT_FALSE(controller.Start(Request()));
  EXPECT_EQ(requests_.size(), 1u) << "the second export never started";
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_THAT(ui_.messages[0].text, HasSubstr("running already"));
  EXPECT_TRUE(controller.Running());

  ScriptedUserInterface ui;
  refusal_ = "No range is set.";
  ExportController& refused = Controller(ui);
  EXPECT_FALSE(refused.Start(Request()));
  EXPECT_FALSE(refused.Running());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "No range is set.");
}

TEST_F(ExportControllerTest, TheEndIsAnnouncedAndTheFolderOpensOnRequest) {
  OpeningUserInterface ui;
  ExportController& controller = Controller(ui);
  ASSERT_TRUE(controller.Start(Request()));
  run_->progress.state = ExportState::Finished;
  controller.Poll();
  EXPECT_FALSE(controller.Running());
  EXPECT_TRUE(run_->destroyed);
  EXPECT_EQ(controller.View().line, "Exported to /films/out/holiday.mp4");
  ASSERT_EQ(ui.offers, std::vector<std::string>{"Open Folder"});
  EXPECT_THAT(ui.messages.at(0).text, HasSubstr("/films/out/holiday.mp4"));
  EXPECT_EQ(openedFolders_, std::vector<std::string>{"/films/out"});

}

TEST_F(ExportControllerTest, WithoutOpenFolderChosenNothingOpens) {
  ExportController& controller = Controller(ui_);
  std::vector<std::size_t> messagesAtEnd;
  std::vector<std::string> linesAtEnd;
  controller.SetEndedHook([&] {
    messagesAtEnd.push_back(ui_.messages.size());
    linesAtEnd.push_back(controller.View().line);
  });
  ASSERT_TRUE(controller.Start(Request()));
  run_->progress.state = ExportState::Finished;
  controller.Poll();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
  EXPECT_TRUE(openedFolders_.empty());
  // The window hears of the end (with its final line) before the message shows.
  EXPECT_EQ(messagesAtEnd, std::vector<std::size_t>{0});
  EXPECT_EQ(linesAtEnd, std::vector<std::string>{"Exported to /films/out/holiday.mp4"});
}

TEST_F(ExportControllerTest, AFailureShowsItsReasonAndCancelEndsQuietly) {
  ExportController& controller = Controller(ui_);
  ASSERT_TRUE(controller.Start(Request()));
  run_->progress.state = ExportState::Failed;
  run_->progress.error = "No space left on device";
  controller.Poll();
  EXPECT_FALSE(controller.Running());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Error);
  EXPECT_THAT(ui_.messages[0].text, HasSubstr("No space left on device"));
  EXPECT_EQ(controller.View().line, "The export failed");

  ASSERT_TRUE(controller.Start(Request()));
  controller.Cancel();
  EXPECT_EQ(run_->cancels, 1);
  controller.Poll();
  EXPECT_FALSE(controller.Running());
  EXPECT_EQ(controller.View().line, "Export cancelled");
  EXPECT_EQ(ui_.messages.size(), 1u) << "a cancel is not announced by a message";
}

TEST_F(ExportControllerTest, ClosingOverARunningExportAsksFirst) {
  ExportController& controller = Controller(ui_);
  EXPECT_TRUE(controller.ConfirmQuit());
  EXPECT_TRUE(ui_.messages.empty()) << "nothing to ask without an export";

  ASSERT_TRUE(controller.Start(Request()));
  ui_.messageAnswers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(controller.ConfirmQuit());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "An export is running. Stop it and quit?");
  EXPECT_EQ(ui_.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_TRUE(controller.Running());
  EXPECT_EQ(run_->cancels, 0);
  EXPECT_TRUE(controller.ConfirmQuit());
  EXPECT_EQ(run_->cancels, 1);
  EXPECT_TRUE(run_->destroyed) << "the job is ended (and waited for) before the editor goes";
  EXPECT_FALSE(controller.Running());
}

}  // namespace
}  // namespace vantorelle
