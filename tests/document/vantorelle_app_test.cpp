// The application object: version text, template, command line, first run,
// the stored video standard when the board is silent, and key capture.
#include "document/vantorelle_app.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "document/layout_settings.h"
#include "support/fake_board.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;

TEST(VantorelleApp, VersionAndTemplateTexts) {
  EXPECT_EQ(CVantorelleApp::AboutText(), "Vantorelle Version 1.1.300103");
  EXPECT_THAT(CVantorelleApp::DocumentTemplateParts(),
              ElementsAre("Vantorelle", "", "Vantorelle", "Vantorelle Files (*.vrp)", ".vrp", "Vantorelle.Document",
                          "Vantorelle Document"));
}

TEST(VantorelleApp, CommandLineNamesTheProjectToOpen) {
  EXPECT_FALSE(CVantorelleApp::ParseCommandLine({}).openProject);
  const StartAction open = CVantorelleApp::ParseCommandLine({"--verbose", "/home/ed/news.vrp", "other.vrp"});
  EXPECT_TRUE(open.openProject);
  EXPECT_EQ(open.projectPath, "/home/ed/news.vrp");
}

TEST(VantorelleApp, SilentBoardTakesTheStoredStandardExceptOnAFirstRun) {
  testing::VideoStandardScope scope(VideoStandard{});
  testing::FakeComponentFactory silent;
  silent.Config().results["Create:IKlpBoard"] = KlpClassNotRegistered;
  MemorySettingsStore store;
  CVantorelleApp app;
  app.Start(store, silent);
  EXPECT_TRUE(app.FirstRun());
  EXPECT_FALSE(BoardPresent());

  SetVideoStandard(testing::VideoStandardScope::Ntsc());
  app.Shutdown(store);  // the standard in force is kept
  SetVideoStandard(VideoStandard{});
  app.Start(store, silent);
  EXPECT_FALSE(app.FirstRun());
  EXPECT_EQ(CurrentVideoStandard().FrameHeight, 480);

  // A board that answers wins over the store.
  testing::FakeComponentFactory board;
  app.Start(store, board);
  EXPECT_TRUE(app.BoardAnswered());
  EXPECT_TRUE(BoardPresent());
  EXPECT_EQ(CurrentVideoStandard().FrameHeight, 576);
}

class RecordingCaptureWindow : public IKeyCaptureWindow {
 public:
  void OnCapturedKey(std::uint32_t modifiers, std::uint32_t key) override { keys.emplace_back(modifiers, key); }
  std::vector<std::pair<std::uint32_t, std::uint32_t>> keys;
};

TEST(VantorelleApp, KeyCaptureSendsEveryKeyButTheModifiersAndDialogKeys) {
  CVantorelleApp app;
  RecordingCaptureWindow window;
  EXPECT_FALSE(app.RouteKeyDown({'A', false, false}, true));  // no capture window
  app.SetKeyCaptureWindow(&window);
  EXPECT_TRUE(app.RouteKeyDown({'A', true, true}, true));
  EXPECT_TRUE(app.RouteKeyDown({0x70 /* F1 */, false, true}, true));
  EXPECT_FALSE(app.RouteKeyDown({'B', false, false}, false));  // elsewhere
  for (std::uint32_t key : {VirtualKey::Ctrl, VirtualKey::Shift, VirtualKey::Alt, VirtualKey::Escape,
                            VirtualKey::Tab, VirtualKey::Enter}) {
    EXPECT_FALSE(app.RouteKeyDown({key, false, false}, true));
  }
  EXPECT_THAT(window.keys, ElementsAre(std::pair<std::uint32_t, std::uint32_t>{0x10001, 'A'},
                                       std::pair<std::uint32_t, std::uint32_t>{1, 0x70}));
}

}  // namespace
}  // namespace vantorelle
