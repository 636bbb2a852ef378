// Past the end of its content a video time line keeps showing the content's
// last picture, even when the output came too late for that picture's own
// frame time: the idle preview appends one frame at a time, and on a busy
// machine the output may first look after that frame has passed.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "board_output_rig.h"
#include "playback/software_board/board_clock.h"
#include "playback/software_board/video_time_line.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::BoardOutputRig;

// A second of 160 × 120 frames at 25, each showing its number.
std::unique_ptr<IKlpPlayMovie> NumberedMovie(BoardOutputRig& rig) {
  testing::MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 25;
  const std::string path = rig.Dir().File("numbered.avi");
  if (!testing::WriteAvi(path, params)) return nullptr;
  return rig.Movie(path);
}

TEST(VideoTimeLineEndPicture, AnOutputLateForTheLastFrameStillGetsItsPicture) {
  BoardOutputRig rig;
  auto movie = NumberedMovie(rig);
  ASSERT_NE(movie, nullptr);
  auto clip = rig.VideoClip(*movie, 0.4, 0.04);  // source frame 10 alone

  auto clock = std::make_shared<VirtualBoardClock>();
  auto output = std::make_shared<BoardOutput>(rig.Format());
  VideoTimeLine line(output, clock, rig.Format().framesPerSecond, WindowRect{0, 0, 160, 120});
  ASSERT_EQ(line.AddMovie(*clip), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePaused), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePlaying), KlpOk);

  // The picture is made in time, but the output first looks half a second
  // on, and keeps looking without waiting, as the real-time output does.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  SharedPicture picture;
  for (int look = 0; look < 300 && !picture; ++look) {
    clock->Advance(look == 0 ? 0.5 : 0.04);
    picture = line.PictureAt(clock->Now(), false);
    if (!picture) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_NE(picture, nullptr) << "the line never showed its only picture";
  EXPECT_EQ(testing::ReadFrameNumber(picture->rgb.pixels.data(), 160, 120), 10);
  // And keeps it.
  clock->Advance(1.0);
  EXPECT_EQ(line.PictureAt(clock->Now(), false), picture);
}

// As the idle preview appends: the line ran dry long ago, then gets empty
// frames up to now and one picture after them. The output, looking without
// waiting, jumps its worker past the empties it is too late for; the picture
// still shows.
TEST(VideoTimeLineEndPicture, APictureAppendedAfterCatchingUpShowsThoughTheWorkerJumpedAhead) {
  BoardOutputRig rig;
  auto movie = NumberedMovie(rig);
  ASSERT_NE(movie, nullptr);
  auto first = rig.VideoClip(*movie, 0.4, 0.04);
  auto second = rig.VideoClip(*movie, 0.8, 0.04);

  auto clock = std::make_shared<VirtualBoardClock>();
  auto output = std::make_shared<BoardOutput>(rig.Format());
  VideoTimeLine line(output, clock, rig.Format().framesPerSecond, WindowRect{0, 0, 160, 120});
  ASSERT_EQ(line.AddMovie(*first), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePaused), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePlaying), KlpOk);
  SharedPicture picture;
  for (int look = 0; look < 300 && !picture; ++look) {
    if (look > 0) clock->Advance(0.04);
    picture = line.PictureAt(clock->Now(), false);
    if (!picture) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(testing::ReadFrameNumber(picture->rgb.pixels.data(), 160, 120), 10);

  clock->Advance(0.4);
  // Empty frames up to now (the line has played since it started), then the picture.
  ASSERT_EQ(line.AddEmpty(clock->Now() - 0.04), KlpOk);
  ASSERT_EQ(line.AddMovie(*second), KlpOk);
  int shown = -1;
  for (int look = 0; look < 300 && shown != 20; ++look) {
    if (look > 0) clock->Advance(0.04);
    picture = line.PictureAt(clock->Now(), false);
    shown = picture ? testing::ReadFrameNumber(picture->rgb.pixels.data(), 160, 120) : -1;
    if (shown != 20) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(shown, 20) << "the appended picture never showed";
}

}  // namespace
}  // namespace vantorelle
