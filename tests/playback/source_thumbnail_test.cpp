// The properties window's thumbnail: its button, still image pictures and the
// frame position control of movies of any codec.
#include "playback/source_thumbnail.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "playback/software_board/software_board_factory.h"
#include "support/fake_board.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::FakeComponentFactory;
using testing::TempDir;

int FrameNumberIn(const ThumbnailPicture& picture) {
  std::vector<std::uint8_t> rgb;
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* row = picture.pixels.data() + static_cast<std::size_t>(y) * picture.stride;
    for (int x = 0; x < picture.width; ++x) rgb.insert(rgb.end(), row + x * picture.bytesPerPixel, row + x * picture.bytesPerPixel + 3);
  }
  return testing::ReadFrameNumber(rgb.data(), picture.width, picture.height);
}

TEST(SourceThumbnail, SoundAloneHasNoThumbnail) {
  CSrc sound("/media/voice.wav", "voice.wav");
  sound.flags = SourceFlags::MovieFile | SourceFlags::AudioStream;
  FakeComponentFactory factory;
  SourceThumbnail thumbnail(sound, factory);
  EXPECT_FALSE(thumbnail.ButtonAvailable());
  thumbnail.Toggle();
  EXPECT_FALSE(thumbnail.Shown());
  EXPECT_STREQ(thumbnail.ButtonText(), "Thumbnail >>");
  EXPECT_TRUE(factory.Calls().empty());
}

TEST(SourceThumbnail, StillImageIsLoadedOnceWhenFirstShown) {
  CSrc image("/media/logo.png", "logo.png");
  image.flags = SourceFlags::VideoStream;
  image.frameWidth = 10;
  image.frameHeight = 4;
  FakeComponentFactory factory;
  factory.Config().images[image.path] = {10, 4};
  SourceThumbnail thumbnail(image, factory);
  ASSERT_TRUE(thumbnail.ButtonAvailable());
  EXPECT_EQ(thumbnail.PictureKind(), SourceThumbnail::Kind::StillImage);
  EXPECT_TRUE(factory.Calls().empty());  // nothing is read before the picture is asked for

  thumbnail.Toggle();
  EXPECT_STREQ(thumbnail.ButtonText(), "<< Thumbnail");
  const ThumbnailPicture& picture = thumbnail.Picture();
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(picture.width, 10);
  EXPECT_EQ(picture.height, 4);
  EXPECT_EQ(picture.bytesPerPixel, 3);
  EXPECT_EQ(picture.stride, 32);  // (10 + 1) × 3 rounded down to four bytes
  EXPECT_EQ(picture.pixels[0], 0x40);
  EXPECT_FALSE(thumbnail.HasFramePosition());

  thumbnail.Toggle();
  EXPECT_STREQ(thumbnail.ButtonText(), "Thumbnail >>");
  thumbnail.Toggle();
  EXPECT_EQ(factory.CountCalls("IKlpPlayTitleImage::LoadFromFile"), 1);
}

TEST(SourceThumbnail, AviMovieShowsTheFrameAtEachPosition) {
  TempDir dir;
  testing::MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 12;
  CSrc movie(dir.File("take.avi"), "take.avi");
  ASSERT_TRUE(testing::WriteAvi(movie.path, params));
  movie.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  auto board = CreateSoftwareBoardFactory({});

  SourceThumbnail thumbnail(movie, *board);
  EXPECT_EQ(thumbnail.PictureKind(), SourceThumbnail::Kind::Movie);
  thumbnail.Toggle();
  ASSERT_TRUE(thumbnail.HasFramePosition()) << thumbnail.FailureText();
  EXPECT_EQ(thumbnail.FrameCount(), 12);
  EXPECT_EQ(thumbnail.CurrentFrameText(), "Current frame: 0");
  EXPECT_EQ(FrameNumberIn(thumbnail.Picture()), 0);

  thumbnail.SetPosition(7);
  EXPECT_EQ(thumbnail.CurrentFrameText(), "Current frame: 7");
  EXPECT_EQ(FrameNumberIn(thumbnail.Picture()), 7);
  thumbnail.SetPosition(12);  // past the control's range
  EXPECT_EQ(thumbnail.Position(), 7);
  thumbnail.SetPosition(2);
  EXPECT_EQ(FrameNumberIn(thumbnail.Picture()), 2);

  thumbnail.Close();
  EXPECT_TRUE(thumbnail.Picture().Empty());
  EXPECT_FALSE(thumbnail.HasFramePosition());
}

TEST(SourceThumbnail, LongGopMoviesShowTheFrameAtEachPosition) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program";
  TempDir dir;
  testing::MovieParams params;
  params.frameCount = 40;
  const std::string numbered = dir.File("numbered.avi");
  ASSERT_TRUE(testing::WriteAvi(numbered, params));
  auto board = CreateSoftwareBoardFactory({});
  for (auto [name, encoder] : {std::pair{"phone.mp4", "-c:v libx264 -bf 2 -g 12 -pix_fmt yuv420p"},
                               std::pair{"camera.mkv", "-c:v libx265 -x265-params keyint=12:bframes=2:log-level=error "
                                                       "-pix_fmt yuv420p"}}) {
    SCOPED_TRACE(name);
    CSrc movie(dir.File(name), name);
    const std::string command = std::string("ffmpeg -nostdin -loglevel error -y -i '") + numbered + "' " + encoder +
                                " '" + movie.path + "'";
    if (std::system(command.c_str()) != 0) continue;  // an encoder this ffmpeg lacks
    movie.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
    SourceThumbnail thumbnail(movie, *board);
    thumbnail.Toggle();
    ASSERT_TRUE(thumbnail.HasFramePosition()) << thumbnail.FailureText();
    EXPECT_EQ(thumbnail.FrameCount(), 40);
    EXPECT_EQ(FrameNumberIn(thumbnail.Picture()), 0);
    for (int frame : {27, 3, 39, 14, 13, 1}) {
      thumbnail.SetPosition(frame);
      EXPECT_EQ(FrameNumberIn(thumbnail.Picture()), frame);
    }
    thumbnail.Close();
    EXPECT_TRUE(thumbnail.Picture().Empty());
  }
}

TEST(SourceThumbnail, AMovieThatCannotBeOpenedLeavesThePictureEmpty) {
  CSrc movie("/media/take.mp4", "take.mp4");
  movie.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  FakeComponentFactory factory;
  factory.Config().results["IKlpPlayMovie::OpenFile"] = KlpFail;
  SourceThumbnail thumbnail(movie, factory);
  thumbnail.Toggle();
  EXPECT_TRUE(thumbnail.Shown());
  EXPECT_TRUE(thumbnail.Picture().Empty());
  EXPECT_FALSE(thumbnail.HasFramePosition());
  EXPECT_EQ(thumbnail.FailureText(), "Can't open file.");
  thumbnail.SetPosition(0);
  EXPECT_TRUE(thumbnail.Picture().Empty());
}

TEST(SourceThumbnail, AJpegMovieIsDecompressedThroughTheJpegImage) {
  CSrc movie("/media/take.avi", "take.avi");
  movie.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  FakeComponentFactory factory;
  factory.Config().movies[movie.path] = testing::FakeMovie{};  // JPEG video, 10 s at 25 fps
  SourceThumbnail thumbnail(movie, factory);
  thumbnail.Toggle();
  ASSERT_TRUE(thumbnail.HasFramePosition()) << thumbnail.FailureText();
  EXPECT_EQ(thumbnail.FrameCount(), 250);
  EXPECT_EQ(thumbnail.Picture().width, 720);
  EXPECT_EQ(factory.CountCalls("IKlpPlayMovie::CopyToJPEGImage"), 1);
  EXPECT_EQ(factory.CountCalls("IKlpPlayJPEGImage::DecompressToImage"), 1);
  thumbnail.SetPosition(100);
  EXPECT_EQ(factory.CountCalls("IKlpPlayMovie::CopyToJPEGImage(4.02)"), 1);
}

}  // namespace
}  // namespace vantorelle
