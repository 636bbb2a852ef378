// A sink that only shows pictures gets a picture only when it differs from
// the one before, so an idle preview costs next to nothing; sound still comes
// every frame, and sinks that write files get every frame.
#include <gtest/gtest.h>

#include "board_output_rig.h"
#include "playback/software_board/board_clock.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/video_time_line.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::BoardOutputRig;

class CountingSink final : public IOutputSink {
 public:
  explicit CountingSink(bool repeats) : repeats_(repeats) {}
  void OnVideoFrame(double seconds, const RgbFrame& frame) override {
    times.push_back(seconds);
    numbers.push_back(testing::ReadFrameNumber(frame.pixels.data(), frame.width, frame.height));
  }
  void OnAudio(double, const float*, std::size_t) override { ++soundBlocks; }
  void OnEnd() override {}
  bool TakesRepeatedPictures() const override { return repeats_; }

  std::vector<double> times;
  std::vector<int> numbers;
  int soundBlocks = 0;

 private:
  bool repeats_;
};

class BoardRepeatedPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::MovieParams params;
    params.width = 160;
    params.height = 120;
    params.frameCount = 25;
    path_ = rig_.Dir().File("numbered.avi");
    ASSERT_TRUE(testing::WriteAvi(path_, params));
    movie_ = rig_.Movie(path_);
    ASSERT_NE(movie_, nullptr);
  }

  // Plays the source's frames from `from` on for `frames` frames, then
  // `after` frames more past the end, into the sink.
  void Play(IOutputSink& sink, double fromS, int frames, int after) {
    auto clip = rig_.VideoClip(*movie_, fromS, frames / 25.0);
    auto clock = std::make_shared<VirtualBoardClock>();
    auto output = std::make_shared<BoardOutput>(rig_.Format());
    output->SetSink(&sink);
    VideoTimeLine line(output, clock, rig_.Format().framesPerSecond, WindowRect{0, 0, 160, 120});
    ASSERT_EQ(line.AddMovie(*clip), KlpOk);
    ASSERT_EQ(line.PutState(KlpStatePrepared), KlpOk);
    ASSERT_EQ(line.PutState(KlpStatePaused), KlpOk);
    ASSERT_EQ(line.PutState(KlpStatePlaying), KlpOk);
    OfflinePump pump(*output, *clock);
    for (int i = 0; i < frames + after; ++i) ASSERT_TRUE(pump.Step());
    output->EndPlay();
    output->SetSink(nullptr);
  }

  BoardOutputRig rig_;
  std::string path_;
  std::unique_ptr<IKlpPlayMovie> movie_;
};

TEST_F(BoardRepeatedPictures, APreviewGetsEachPictureOnceAndSoundEveryFrame) {
  CountingSink preview(false);
  Play(preview, 0.4, 3, 10);  // source frames 10, 11, 12, then the last held
  EXPECT_EQ(preview.numbers, (std::vector<int>{10, 11, 12}));
  EXPECT_EQ(preview.soundBlocks, 13);

  // A frame held on one picture (the idle preview of one frame) is sent once.
  CountingSink idle(false);
  Play(idle, 0.8, 1, 20);
  EXPECT_EQ(idle.numbers, (std::vector<int>{20}));
  EXPECT_EQ(idle.soundBlocks, 21);
}

TEST_F(BoardRepeatedPictures, AFileSinkGetsEveryFrameHeldOrNot) {
  CountingSink file(true);
  Play(file, 0.4, 3, 4);
  EXPECT_EQ(file.numbers, (std::vector<int>{10, 11, 12, 12, 12, 12, 12}));
  EXPECT_EQ(file.soundBlocks, 7);
}

// Title tracks always have their tasks running; one that shows nothing at
// the time does not make the held picture new, one that shows a title does.
TEST_F(BoardRepeatedPictures, ATitleTaskShowingNothingLeavesTheHeldPictureUnsent) {
  CountingSink preview(false);
  rig_.Output().SetSink(&preview);
  auto clip = rig_.VideoClip(*movie_, 0.8, 0.04);  // source frame 20 alone
  auto line = rig_.VideoLine();
  ASSERT_EQ(line->AddMovie(*clip), KlpOk);
  std::vector<std::uint8_t> rgba;
  for (int i = 0; i < 20 * 20; ++i) rgba.insert(rgba.end(), {250, 250, 250, 255});
  const std::string title = rig_.Dir().File("title.png");
  ASSERT_TRUE(testing::WriteImagePixels(title, testing::ImageFormat::Png, 20, 20, rgba, testing::ImageAlpha::Keep));
  auto image = rig_.Image(title);
  std::unique_ptr<IKlpSlideTitleTask> task;
  ASSERT_EQ(rig_.Board().CreateSlideTitleTask(0, KlpSlideTitleParams{100, 80, 20, 20}, 1.0, 0.5, task), KlpOk);
  ASSERT_EQ(task->AddEmpty(0.4), KlpOk);        // nothing for 10 frames
  ASSERT_EQ(task->AddData(*image, 0.2, 0.0, 0.0), KlpOk);  // then a title for 5
  for (std::int32_t state : {KlpStatePrepared, KlpStatePaused}) {
    ASSERT_EQ(task->PutState(state), KlpOk);
    ASSERT_EQ(line->PutState(state), KlpOk);
  }
  ASSERT_EQ(line->PutState(KlpStatePlaying), KlpOk);
  ASSERT_EQ(task->PutState(KlpStatePlaying), KlpOk);
  for (int i = 0; i < 15; ++i) ASSERT_TRUE(rig_.Pump().Step());
  rig_.Output().SetSink(nullptr);
  // The held frame once; then nothing until the title shows, and each frame
  // it is drawn over the picture.
  ASSERT_GE(preview.times.size(), 4u);
  EXPECT_EQ(preview.times[0], 0.0);
  EXPECT_GE(preview.times[1], 0.4 - 1e-9);
  EXPECT_LE(preview.times.size(), 6u);
  EXPECT_EQ(preview.soundBlocks, 15);
}

}  // namespace
}  // namespace vantorelle
