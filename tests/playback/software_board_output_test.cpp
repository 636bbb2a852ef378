// What the software board plays, read back from a capture sink with the
// output driven against a virtual clock: pictures of the video time line at
// known frames (clips, empty stretches, exact source frames), its rest time
// through a play, Reset and the preview's one-frame additions, and the
// picture kept when the decoder is not waited for.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "board_output_rig.h"
#include "playback/software_board/video_time_line.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::BoardOutputRig;

struct Colour {
  int r = 0;
  int g = 0;
  int b = 0;
};

Colour CentreOf(const RgbFrame& frame) {
  const std::uint8_t* p = frame.Pixel(frame.width / 2, frame.height / 2);
  return Colour{p[0], p[1], p[2]};
}

bool Near(Colour c, int r, int g, int b) {
  return std::abs(c.r - r) <= 24 && std::abs(c.g - g) <= 24 && std::abs(c.b - b) <= 24;
}

void Play(IKlpVTimeLine& line) {
  ASSERT_EQ(line.PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePaused), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePlaying), KlpOk);
}

double RestOf(IKlpVTimeLine& line) {
  double rest = 0.0;
  EXPECT_EQ(line.GetRestTime(rest), KlpOk);
  return rest;
}

TEST(SoftwareBoardVideoOutput, ClipsAndEmptyStretchesShowAtTheirFrames) {
  BoardOutputRig rig;
  auto red = rig.Movie(rig.SolidMovie("red.avi", 220, 20, 20, 1.0));
  auto blue = rig.Movie(rig.SolidMovie("blue.avi", 20, 20, 220, 1.0));
  auto line = rig.VideoLine();
  auto redClip = rig.VideoClip(*red, 0.0, 1.0);
  auto blueClip = rig.VideoClip(*blue, 0.0, 1.0);
  ASSERT_EQ(line->AddMovie(*redClip), KlpOk);
  ASSERT_EQ(line->AddEmpty(0.4), KlpOk);
  ASSERT_EQ(line->AddMovie(*blueClip), KlpOk);
  // The clips are copied in: releasing them and the movies changes nothing.
  redClip.reset();
  red.reset();
  Play(*line);

  EXPECT_EQ(rig.Pump().RunToEnd(1000), 60);
  const auto& frames = rig.Sink().Frames();
  ASSERT_EQ(frames.size(), 60u);
  EXPECT_EQ(rig.Sink().Ends(), 1);
  for (int n : {0, 12, 24}) EXPECT_TRUE(Near(CentreOf(frames[n].frame), 220, 20, 20)) << n;
  for (int n : {25, 30, 34}) EXPECT_TRUE(Near(CentreOf(frames[n].frame), 0, 0, 0)) << n;
  for (int n : {35, 45, 59}) EXPECT_TRUE(Near(CentreOf(frames[n].frame), 20, 20, 220)) << n;
  EXPECT_DOUBLE_EQ(frames[30].seconds, 30 / 25.0);
  EXPECT_EQ(frames[0].frame.width, 160);
  EXPECT_EQ(frames[0].frame.height, 120);
}

TEST(SoftwareBoardVideoOutput, EachOutputFrameShowsTheSourceFrameUnderIt) {
  BoardOutputRig rig;
  testing::MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 50;
  const std::string path = rig.Dir().File("numbered.avi");
  ASSERT_TRUE(testing::WriteAvi(path, params));
  auto movie = rig.Movie(path);
  auto line = rig.VideoLine();
  auto first = rig.VideoClip(*movie, 0.4, 0.4);   // source frames 10..19
  auto second = rig.VideoClip(*movie, 1.6, 0.2);  // source frames 40..44
  ASSERT_EQ(line->AddMovie(*first), KlpOk);
  ASSERT_EQ(line->AddMovie(*second), KlpOk);
  Play(*line);
  ASSERT_EQ(rig.Pump().RunToEnd(1000), 15);
  const auto& frames = rig.Sink().Frames();
  for (int n = 0; n < 15; ++n) {
    const int expected = n < 10 ? 10 + n : 40 + (n - 10);
    EXPECT_EQ(testing::ReadFrameNumber(frames[n].frame.pixels.data(), 160, 120), expected) << n;
  }
}

TEST(SoftwareBoardVideoOutput, RestTimeFollowsThePlayAndGoesNegativePastTheEnd) {
  BoardOutputRig rig;
  auto blue = rig.Movie(rig.SolidMovie("blue.avi", 20, 20, 220, 1.0));
  auto line = rig.VideoLine();
  auto clip = rig.VideoClip(*blue, 0.0, 1.0);
  ASSERT_EQ(line->AddEmpty(0.2), KlpOk);
  ASSERT_EQ(line->AddMovie(*clip), KlpOk);
  EXPECT_NEAR(RestOf(*line), 1.2, 1e-9);
  ASSERT_EQ(line->PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line->PutState(KlpStatePaused), KlpOk);
  rig.Pump().Step();  // the clock runs, the paused line does not
  EXPECT_NEAR(RestOf(*line), 1.2, 1e-9);
  ASSERT_EQ(line->PutState(KlpStatePlaying), KlpOk);
  for (int i = 0; i < 10; ++i) rig.Pump().Step();
  EXPECT_NEAR(RestOf(*line), 0.8, 1e-9);
  ASSERT_EQ(line->PutState(KlpStatePaused), KlpOk);
  rig.Pump().Step();
  EXPECT_NEAR(RestOf(*line), 0.8, 1e-9);
  ASSERT_EQ(line->PutState(KlpStatePlaying), KlpOk);
  for (int i = 0; i < 25; ++i) rig.Pump().Step();
  EXPECT_NEAR(RestOf(*line), -0.2, 1e-9);
  // Past its end the line keeps its last picture.
  EXPECT_TRUE(Near(CentreOf(rig.Sink().Frames().back().frame), 20, 20, 220));
}

TEST(SoftwareBoardVideoOutput, ResetEmptiesTheLineAndStopsIt) {
  BoardOutputRig rig;
  auto red = rig.Movie(rig.SolidMovie("red.avi", 220, 20, 20, 1.0));
  auto blue = rig.Movie(rig.SolidMovie("blue.avi", 20, 20, 220, 1.0));
  auto line = rig.VideoLine();
  auto redClip = rig.VideoClip(*red, 0.0, 1.0);
  ASSERT_EQ(line->AddMovie(*redClip), KlpOk);
  Play(*line);
  for (int i = 0; i < 5; ++i) rig.Pump().Step();
  ASSERT_EQ(line->Reset(0), KlpOk);
  EXPECT_NEAR(RestOf(*line), 0.0, 1e-12);
  EXPECT_FALSE(rig.Pump().Step()) << "a reset line plays nothing";
  auto blueClip = rig.VideoClip(*blue, 0.0, 0.4);
  ASSERT_EQ(line->AddMovie(*blueClip), KlpOk);
  Play(*line);
  EXPECT_EQ(rig.Pump().RunToEnd(1000), 10);
  const auto& frames = rig.Sink().Frames();
  ASSERT_EQ(frames.size(), 15u);
  EXPECT_TRUE(Near(CentreOf(frames[4].frame), 220, 20, 20));
  for (std::size_t n = 5; n < 15; ++n) EXPECT_TRUE(Near(CentreOf(frames[n].frame), 20, 20, 220)) << n;
  EXPECT_DOUBLE_EQ(frames[5].seconds, 0.0) << "a new play starts its own frame count";
  EXPECT_EQ(rig.Sink().Ends(), 2);
}

TEST(SoftwareBoardVideoOutput, PreviewFramesAddedAfterTheEndShowAtOnce) {
  BoardOutputRig rig;
  auto red = rig.Movie(rig.SolidMovie("red.avi", 220, 20, 20, 1.0));
  auto blue = rig.Movie(rig.SolidMovie("blue.avi", 20, 20, 220, 1.0));
  auto line = rig.VideoLine();
  ASSERT_EQ(line->PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line->PutState(KlpStatePlaying), KlpOk);
  for (IKlpPlayMovie* movie : {red.get(), blue.get()}) {
    for (int i = 0; i < 3; ++i) rig.Pump().Step();
    // As the idle preview does: catch up with the clock, then add one frame.
    const double rest = RestOf(*line);
    ASSERT_LT(rest, 0.0);
    ASSERT_EQ(line->AddEmpty(-rest), KlpOk);
    EXPECT_NEAR(RestOf(*line), 0.0, 1e-9);
    auto clip = rig.VideoClip(*movie, 0.5, 0.04);
    ASSERT_EQ(line->AddMovie(*clip), KlpOk);
  }
  for (int i = 0; i < 3; ++i) rig.Pump().Step();
  const auto& frames = rig.Sink().Frames();
  ASSERT_EQ(frames.size(), 9u);
  EXPECT_TRUE(Near(CentreOf(frames[3].frame), 220, 20, 20));
  EXPECT_TRUE(Near(CentreOf(frames[5].frame), 220, 20, 20)) << "the last picture stays";
  EXPECT_TRUE(Near(CentreOf(frames[6].frame), 20, 20, 220));
  EXPECT_TRUE(Near(CentreOf(frames[8].frame), 20, 20, 220));
}

TEST(SoftwareBoardVideoOutput, WindowPlacesTheScaledPicture) {
  BoardOutputRig rig;
  auto red = rig.Movie(rig.SolidMovie("red.avi", 220, 20, 20, 0.2));
  auto line = rig.VideoLine();
  ASSERT_EQ(line->SetWindow(0, 0, 0, 10), KlpInvalidArgument);
  ASSERT_EQ(line->SetWindow(80, 60, 40, 30), KlpOk);
  auto clip = rig.VideoClip(*red, 0.0, 0.2);
  ASSERT_EQ(line->AddMovie(*clip), KlpOk);
  Play(*line);
  rig.Pump().RunToEnd(100);
  const RgbFrame& frame = rig.Sink().Frames().at(2).frame;
  const std::uint8_t* inside = frame.Pixel(100, 75);
  const std::uint8_t* outside = frame.Pixel(70, 75);
  EXPECT_GT(inside[0], 180);
  EXPECT_EQ(outside[0] + outside[1] + outside[2], 0);
  EXPECT_EQ(frame.Pixel(100, 95)[0], 0);
}

TEST(SoftwareBoardVideoOutput, RefusesWhatItCannotPlay) {
  BoardOutputRig rig;
  auto red = rig.Movie(rig.SolidMovie("red.avi", 220, 20, 20, 0.2));
  std::unique_ptr<IKlpSuperClip> clip;
  EXPECT_EQ(rig.Board().CreateSuperClip(5, 6, clip), KlpInvalidArgument);
  ASSERT_EQ(rig.Board().CreateSuperClip(7, 6, clip), KlpOk);
  EXPECT_EQ(clip->AddMovieFragment(*red, 0.0, 0.0), KlpInvalidArgument);
  EXPECT_EQ(clip->AddMovieFragment(*red, -1.0, 0.1), KlpInvalidArgument);
  EXPECT_EQ(clip->AddMovieFragment(*red, 0.0, std::nan("")), KlpInvalidArgument);
  std::unique_ptr<IKlpPlayMovie> unopened;
  auto factory = CreateSoftwareBoardFactory(rig.Format());
  ASSERT_EQ(factory->CreatePlayMovie(unopened), KlpOk);
  EXPECT_EQ(clip->AddMovieFragment(*unopened, 0.0, 0.1), KlpUnexpected);
  auto line = rig.VideoLine();
  EXPECT_EQ(line->AddEmpty(0.0), KlpInvalidArgument);
  EXPECT_EQ(line->AddEmpty(-0.5), KlpInvalidArgument);
  EXPECT_EQ(line->PutState(1), KlpInvalidArgument);
  EXPECT_EQ(line->PutState(7), KlpInvalidArgument);
  std::unique_ptr<IKlpSuperClip> sound;
  ASSERT_EQ(rig.Board().CreateSuperClip(0x1000, 6, sound), KlpOk);
  EXPECT_EQ(line->AddMovie(*sound), KlpInvalidArgument) << "a sound clip on the video line";
}

TEST(SoftwareBoardVideoOutput, BoardTimeFollowsTheVirtualClock) {
  BoardOutputRig rig;
  double before = -1.0;
  double after = -1.0;
  ASSERT_EQ(rig.Board().GetBoardTime(0, before), KlpOk);
  rig.Pump().Step();
  rig.Pump().Step();
  ASSERT_EQ(rig.Board().GetBoardTime(0, after), KlpOk);
  EXPECT_NEAR(after - before, 0.08, 1e-12);
}

}  // namespace
}  // namespace vantorelle
