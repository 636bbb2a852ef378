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
  void OnVideoFrame(double, const RgbFrame& frame) override {
    numbers.push_back(testing::ReadFrameNumber(frame.pixels.data(), frame.width, frame.height));
  }
  void OnAudio(double, const float*, std::size_t) override { ++soundBlocks; }
  void OnEnd() override {}
  bool TakesRepeatedPictures() const override { return repeats_; }

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

}  // namespace
}  // namespace vantorelle
