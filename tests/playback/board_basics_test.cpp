// The result reporting every component call goes through, the start-up query
// of the video standard, and the choice of board from the command line.
#include <gtest/gtest.h>

#include "model/time_base.h"
#include "model/video_standard_query.h"
#include "playback/board_selection.h"
#include "playback/report_com_result.h"
#include "support/fake_board.h"
#include "support/scripted_user_interface.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::FakeComponentFactory;
using testing::ScriptedUserInterface;
using testing::VideoStandardScope;

TEST(ReportComResult, SuccessIsSilentFailureShowsTheSystemText) {
  ScriptedUserInterface ui;
  EXPECT_TRUE(ReportComResult(ui, KlpOk, "OpenFile failed"));
  EXPECT_TRUE(ui.messages.empty());

  EXPECT_FALSE(ReportComResult(ui, KlpFileNotFound, "OpenFile failed"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Error -- OpenFile failed");
  EXPECT_EQ(ui.messages[0].text, "The system cannot find the file specified.");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);

  EXPECT_FALSE(ReportComResult(ui, KlpFalse, "x"));
  EXPECT_FALSE(ReportComResult(ui, 0x1234, "y"));
  EXPECT_EQ(ui.messages.back().text, "Unknown error 0x00001234");
}

TEST(BoardStandardQuery, TakesTheBoardsFormat) {
  VideoStandardScope restore{VideoStandard{}};
  FakeComponentFactory factory;
  factory.Config().videoWidth = 720;
  factory.Config().videoHeight = 480;
  factory.Config().framesPerSecond = 29.97;
  EXPECT_TRUE(QueryBoardStandard(factory));
  const VideoStandard& standard = CurrentVideoStandard();
  EXPECT_EQ(standard.FrameWidth, 720);
  EXPECT_EQ(standard.FrameHeight, 480);
  EXPECT_EQ(standard.FrameRate, 29970);
  EXPECT_NEAR(standard.FrameDelta, 33.3667, 1e-4);
  EXPECT_NEAR(standard.StartDelay, 333.667, 1e-3);
  EXPECT_EQ(factory.Calls(), (std::vector<std::string>{"Create:IKlpBoard()", "IKlpBoard::GetVideoFormat(0)"}));
}

TEST(BoardStandardQuery, AnyFailureOrZeroAnswerKeepsTheDefaults) {
  VideoStandardScope restore{VideoStandardScope::Ntsc()};
  const auto expectDefaults = [] {
    const VideoStandard& standard = CurrentVideoStandard();
    EXPECT_EQ(standard.FrameWidth, 720);
    EXPECT_EQ(standard.FrameHeight, 576);
    EXPECT_EQ(standard.FrameRate, 25000);
    EXPECT_EQ(standard.FrameDelta, 40.0);
    EXPECT_EQ(standard.StartDelay, 400.0);
  };
  {
    FakeComponentFactory noBoard;
    noBoard.Config().results["Create:IKlpBoard"] = KlpClassNotRegistered;
    EXPECT_FALSE(QueryBoardStandard(noBoard));
    expectDefaults();
  }
  {
    FakeComponentFactory refusing;
    refusing.Config().results["IKlpBoard::GetVideoFormat"] = KlpFail;
    refusing.Config().framesPerSecond = 29.97;
    EXPECT_FALSE(QueryBoardStandard(refusing));
    expectDefaults();
  }
  for (auto [width, height, rate] : {std::tuple{0, 576, 25.0}, {720, 0, 25.0}, {720, 576, 0.0},
                                     {720, 576, -25.0}, {-720, 576, 25.0}}) {
    FakeComponentFactory zero;
    zero.Config().videoWidth = width;
    zero.Config().videoHeight = height;
    zero.Config().framesPerSecond = rate;
    EXPECT_FALSE(QueryBoardStandard(zero)) << width << "x" << height << "@" << rate;
    expectDefaults();
  }
  NoBoardFactory none;
  EXPECT_FALSE(QueryBoardStandard(none));
}

TEST(BoardSelection, SoftwareBoardInTheChosenStandard) {
  struct Case {
    std::vector<std::string> arguments;
    const char* environment;
    int width, height;
    double fps;
  };
  const Case cases[] = {
      {{}, nullptr, 720, 576, 25.0},
      {{"--video-standard", "pal-wide"}, nullptr, 768, 576, 25.0},
      {{"--video-standard=ntsc"}, nullptr, 720, 480, 29.97},
      {{}, "ntsc-vga", 640, 480, 29.97},
      {{"--video-standard", "pal"}, "ntsc", 720, 576, 25.0},
  };
  for (const Case& c : cases) {
    BoardSelection selection = SelectBoard(c.arguments, c.environment);
    ASSERT_TRUE(selection.error.empty()) << selection.error;
    std::unique_ptr<IKlpBoard> board;
    ASSERT_EQ(selection.factory->CreateBoard(board), KlpOk);
    std::int32_t width = 0, height = 0;
    double fps = 0;
    ASSERT_EQ(board->GetVideoFormat(0, width, height, &fps), KlpOk);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    EXPECT_DOUBLE_EQ(fps, c.fps);
  }
}

TEST(BoardSelection, NoBoardAndBadOptions) {
  BoardSelection none = SelectBoard({"--no-board", "project.vrp"}, nullptr);
  EXPECT_TRUE(none.noBoard);
  EXPECT_EQ(none.remainingArguments, std::vector<std::string>{"project.vrp"});
  std::unique_ptr<IKlpBoard> board;
  EXPECT_NE(none.factory->CreateBoard(board), KlpOk);
  std::unique_ptr<IKlpPlayMovie> movie;
  EXPECT_NE(none.factory->CreatePlayMovie(movie), KlpOk);

  EXPECT_FALSE(SelectBoard({"--video-standard", "secam"}, nullptr).error.empty());
  EXPECT_FALSE(SelectBoard({"--video-standard"}, nullptr).error.empty());
  EXPECT_FALSE(SelectBoard({}, "hdtv").error.empty());
}

}  // namespace
}  // namespace vantorelle
