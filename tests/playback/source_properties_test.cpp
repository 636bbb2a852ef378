#include "playback/source_properties.h"

#include <gtest/gtest.h>

#include "playback/frame_picture.h"
#include "playback/movie_map.h"
#include "support/fake_board.h"
#include "support/scripted_user_interface.h"

namespace vantorelle {
namespace {

using testing::FakeComponentFactory;
using testing::FakeMovie;

CSrc& MovieSource(CSrc& source, SourceFlagBits streams) {
  source.flags = SourceFlags::MovieFile | streams;
  source.size = 5000;
  source.modified = "05/12/2026 08:30:00";
  source.frameWidth = 720;
  source.frameHeight = 576;
  return source;
}

TEST(SourceProperties, MovieWithPictureAndSound) {
  FakeComponentFactory factory;
  FakeMovie movie;
  movie.framesPerSecond = 29.97;
  movie.videoDurationS = 61.5;
  movie.audioDurationS = 62.0;
  movie.extra = {44100.9, 16, 2};
  factory.Config().movies["/m/a.avi"] = movie;
  CSrc source("/m/a.avi", "a.avi");
  MovieSource(source, SourceFlags::VideoStream | SourceFlags::AudioStream);

  const SourcePropertyTexts texts = SourceProperties(source, factory);
  EXPECT_EQ(texts.fileName, "/m/a.avi");
  EXPECT_EQ(texts.fileSize, "4 Kb");
  EXPECT_EQ(texts.modified, "05/12/2026 08:30:00");
  EXPECT_EQ(texts.frameWidth, "720 pixels.");
  EXPECT_EQ(texts.frameHeight, "576 pixels.");
  EXPECT_EQ(texts.frameRate, "29.970 frames / second");
  EXPECT_EQ(texts.videoDuration, "00:01:01:500");
  EXPECT_EQ(texts.audioDuration, "00:01:02:000");
  EXPECT_EQ(texts.sampleRate, "44100 Hz");
  EXPECT_EQ(texts.bits, "16");
  EXPECT_TRUE(texts.thumbnailAvailable);
}

TEST(SourceProperties, SoundOnlyImageAndUnreadableFiles) {
  FakeComponentFactory factory;
  FakeMovie sound;
  sound.streamFlags = KlpStream::Audio;
  factory.Config().movies["/m/s.wav"] = sound;
  CSrc wav("/m/s.wav", "s.wav");
  MovieSource(wav, SourceFlags::AudioStream);
  wav.size = 1023;
  SourcePropertyTexts texts = SourceProperties(wav, factory);
  EXPECT_EQ(texts.fileSize, "1023 Bytes");
  EXPECT_EQ(texts.frameWidth, "No width");
  EXPECT_EQ(texts.frameHeight, "No height");
  EXPECT_EQ(texts.frameRate, "No video");
  EXPECT_EQ(texts.videoDuration, "No video");
  EXPECT_EQ(texts.audioDuration, "00:00:10:000");
  EXPECT_FALSE(texts.thumbnailAvailable);

  CSrc image("/m/p.jpg", "p.jpg");
  image.flags = SourceFlags::VideoStream;
  image.frameWidth = 64;
  texts = SourceProperties(image, factory);
  EXPECT_EQ(texts.frameWidth, "64 pixels.");
  EXPECT_EQ(texts.frameRate, "No video");
  EXPECT_EQ(texts.sampleRate, "No audio");
  EXPECT_TRUE(texts.thumbnailAvailable);
  EXPECT_EQ(factory.CountCalls("Create:IKlpPlayMovie"), 1) << "only the movie file was opened";

  CSrc missing("/m/gone.avi", "gone.avi");
  MovieSource(missing, SourceFlags::VideoStream);
  texts = SourceProperties(missing, factory);
  EXPECT_EQ(texts.frameRate, "No info");
  EXPECT_EQ(texts.videoDuration, "No info");
  EXPECT_EQ(texts.audioDuration, "No info");
  EXPECT_EQ(texts.bits, "No info");
  EXPECT_EQ(texts.frameWidth, "720 pixels.");
}

TEST(ShortenPathToFit, KeepsThePrefixAndDropsLeadingFolders) {
  EXPECT_EQ(ShortenPathToFit("/home/ann/media/a.avi", 40), "/home/ann/media/a.avi");
  EXPECT_EQ(ShortenPathToFit("/home/ann/media/a.avi", 16), "/.../media/a.avi");
  EXPECT_EQ(ShortenPathToFit("C:\\video\\2026\\clips\\a.avi", 18), "C:\\...\\clips\\a.avi");
  EXPECT_EQ(ShortenPathToFit("\\\\srv\\share\\deep\\er\\a.avi", 22), "\\\\srv\\share\\...\\a.avi");
  EXPECT_EQ(ShortenPathToFit("/home/ann/media/a.avi", 3), "/.../a.avi") << "the name always stays";
  const TextWidth wide = [](std::string_view text) { return static_cast<int>(text.size()) * 2; };
  EXPECT_EQ(ShortenPathToFit("/a/b/c.avi", 16, wide), "/.../c.avi");
}

TEST(MovieMap, OpensEachSourceOnceInTheRightComponent) {
  FakeComponentFactory factory;
  testing::ScriptedUserInterface ui;
  factory.Config().movies["/m/a.avi"] = FakeMovie{};
  factory.Config().images["/m/p.jpg"] = {};
  CMovieMap map;

  CSrc movie("/m/a.avi", "a.avi");
  movie.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  ASSERT_TRUE(FillMovieMap(map, movie, factory, ui));
  ASSERT_NE(map.Find("/m/a.avi"), nullptr);
  EXPECT_NE(map.Find("/m/a.avi")->movie, nullptr);
  EXPECT_EQ(map.Find("/m/a.avi")->stillImage, nullptr);

  CSrc image("/m/p.jpg", "p.jpg");
  image.flags = SourceFlags::VideoStream;
  ASSERT_TRUE(FillMovieMap(map, image, factory, ui));
  EXPECT_NE(map.Find("/m/p.jpg")->stillImage, nullptr);

  CSrc live("live:1", "camera");
  live.flags = SourceFlags::LiveSource | SourceFlags::VideoStream;
  EXPECT_TRUE(FillMovieMap(map, live, factory, ui));
  EXPECT_EQ(map.Size(), 2u) << "live sources need no component";
  EXPECT_TRUE(ui.messages.empty());

  CSrc gone("/m/gone.avi", "gone.avi");
  gone.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  EXPECT_FALSE(FillMovieMap(map, gone, factory, ui));
  EXPECT_EQ(map.Find("/m/gone.avi"), nullptr);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Can't fill KlpPlayMovie Maps");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);

  map.Remove("/m/a.avi");
  EXPECT_EQ(map.Find("/m/a.avi"), nullptr);
}

}  // namespace
}  // namespace vantorelle

namespace vantorelle {
namespace {

TEST(StillImagePicture, DropsEveryFourthByteIntoPaddedRows) {
  EXPECT_EQ(PaddedRowBytes(64), 192);
  EXPECT_EQ(PaddedRowBytes(1), 4);
  EXPECT_EQ(PaddedRowBytes(5), 16);
  const std::uint8_t pixels[] = {1, 2, 3, 99, 4, 5, 6, 99,    // row 0
                                 7, 8, 9, 99, 10, 11, 12, 99};  // row 1
  const FramePicture picture = PackFourByteRows(pixels, 2, 2);
  EXPECT_EQ(picture.stride, 8);
  EXPECT_EQ(picture.pixels, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}));
}

TEST(StillImagePicture, LoadsAtTheStoredSizeAndReportsFailuresWhenAsked) {
  testing::FakeComponentFactory factory;
  factory.Config().images["/m/p.jpg"] = {3, 2};
  CSrc source("/m/p.jpg", "p.jpg");
  source.flags = SourceFlags::VideoStream;
  source.frameWidth = 3;
  source.frameHeight = 2;
  const auto picture = LoadStillImagePicture(factory, source, nullptr);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->stride, 12);
  EXPECT_EQ(picture->pixels.size(), 24u);
  EXPECT_EQ(factory.CountCalls("IKlpTitleImageRGB::GetRGBData(24)"), 1);

  testing::ScriptedUserInterface ui;
  factory.Config().results["IKlpPlayTitleImage::LoadFromFile"] = KlpFail;
  EXPECT_FALSE(LoadStillImagePicture(factory, source, nullptr));
  EXPECT_FALSE(LoadStillImagePicture(factory, source, &ui));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Error -- PlayTitleImage : LoadFromFile failed");

  source.frameWidth = 0;
  EXPECT_FALSE(LoadStillImagePicture(factory, source, &ui)) << "no picture without a size";
  source.frameWidth = 1 << 20;
  EXPECT_FALSE(LoadStillImagePicture(factory, source, &ui)) << "no giant allocation";
}

}  // namespace
}  // namespace vantorelle
