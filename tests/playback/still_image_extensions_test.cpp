#include "playback/still_image_extensions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "playback/media_info.h"
#include "support/fake_board.h"
#include "support/scripted_user_interface.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;

TEST(StillImageExtensions, EveryPatternGivesOneExtensionOnce) {
  StillImageExtensions list;
  list.AddFilter("Bitmaps (*.bmp;*.dib)|*.bmp;*.dib|JPEG (*.JPG)|*.jpg|Targa|*.tga");
  EXPECT_THAT(list.extensions, ElementsAre("bmp", "dib", "JPG", "tga"));
  EXPECT_THAT(list.filterParts, ElementsAre("Bitmaps (*.bmp;*.dib)", "*.bmp;*.dib", "JPEG (*.JPG)",
                                            "*.jpg", "Targa", "*.tga"));
  EXPECT_TRUE(list.Contains("Jpg"));
  EXPECT_FALSE(list.Contains("png"));
}

TEST(StillImageExtensions, OddFilterTextsDoNotBreakIt) {
  StillImageExtensions list;
  list.AddFilter("");
  list.AddFilter("*");
  list.AddFilter("x|*.");
  list.AddFilter("|*.png|");
  EXPECT_THAT(list.extensions, ElementsAre("png"));
}

// Images by the image list; any other file is the movie component's to
// open, whatever its name.
TEST(ClassifyFile, ImagesByTheListEveryOtherFileAMovie) {
  StillImageExtensions list;
  list.AddFilter("*.jpg|");
  EXPECT_EQ(ClassifyFile("/a/clip.AVI", list), MediaKind::Movie);
  EXPECT_EQ(ClassifyFile("/a/sound.Wav", list), MediaKind::Movie);
  EXPECT_EQ(ClassifyFile("/a/phone.mp4", list), MediaKind::Movie);
  EXPECT_EQ(ClassifyFile("/a/song.flac", list), MediaKind::Movie);
  EXPECT_EQ(ClassifyFile("/a/pic.JPG", list), MediaKind::StillImage);
  EXPECT_EQ(ClassifyFile("/a/pic.png", list), MediaKind::Movie) << "not an image the list knows";
  EXPECT_EQ(ClassifyFile("/a.jpg/noext", list), MediaKind::Movie);
  EXPECT_EQ(ClassifyFile("/a/", list), std::nullopt);
}

TEST(LoadMovieImportFilter, ReadsTheMovieComponentsFilter) {
  testing::FakeComponentFactory factory;
  testing::ScriptedUserInterface ui;
  factory.Config().movieImportFilter = "Movies(*.mp4;*.mkv)|*.mp4;*.mkv|Sound(*.flac)|*.flac|";
  const FileTypeList list = LoadMovieImportFilter(factory, ui);
  EXPECT_THAT(list.extensions, ElementsAre("mp4", "mkv", "flac"));
  EXPECT_TRUE(ui.messages.empty());

  factory.Config().results["IKlpPlayMovie::GetImportFilter"] = KlpFail;
  EXPECT_TRUE(LoadMovieImportFilter(factory, ui).extensions.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Error -- Getting import filter failed");
}

TEST(LoadImportFilter, ReadsTheTitleImageComponentsFilter) {
  testing::FakeComponentFactory factory;
  testing::ScriptedUserInterface ui;
  factory.Config().importFilter = "Pictures(*.png;*.tif)|*.png;*.tif|";
  const StillImageExtensions list = LoadImportFilter(factory, ui);
  EXPECT_THAT(list.extensions, ElementsAre("png", "tif"));
  EXPECT_TRUE(ui.messages.empty());

  factory.Config().results["IKlpPlayTitleImage::GetImportFilter"] = KlpFail;
  EXPECT_TRUE(LoadImportFilter(factory, ui).extensions.empty());
  factory.Config().results = {{"Create:IKlpPlayTitleImage", KlpClassNotRegistered}};
  EXPECT_TRUE(LoadImportFilter(factory, ui).extensions.empty());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].caption, "Error -- Getting import filter failed");
  EXPECT_EQ(ui.messages[1].caption, "Error -- CoCreateInstance failed");
}

}  // namespace
}  // namespace vantorelle
