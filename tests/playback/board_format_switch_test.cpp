// The software board between projects: its output takes another format once
// nothing plays on it, and the boards its factory makes from then on run in
// that format, so their frames come out in the new size and rate.
#include <gtest/gtest.h>

#include <memory>

#include "playback/software_board/board_output.h"
#include "playback/software_board/capture_sink.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/software_board_factory.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

class BoardFormatSwitch : public ::testing::Test {
 protected:
  BoardFormatSwitch()
      : clock_(std::make_shared<VirtualBoardClock>()),
        output_(std::make_shared<BoardOutput>(SoftwareBoardFormat{160, 120, 25.0})),
        factory_(CreateSoftwareBoardFactory(output_->Format(), SoftwareBoardWiring{clock_, output_})),
        pump_(*output_, *clock_) {
    output_->SetSink(&sink_);
  }

  std::string RedMovie() {
    testing::MovieParams params;
    params.width = 64;
    params.height = 48;
    params.frameCount = 10;
    params.pattern = testing::FramePattern::Solid;
    params.colour = {230, 10, 10};
    const std::string path = dir_.File("red.avi");
    EXPECT_TRUE(testing::WriteAvi(path, params));
    return path;
  }

  struct Play {
    std::unique_ptr<IKlpBoard> board;
    std::unique_ptr<IKlpPlayMovie> movie;
    std::unique_ptr<IKlpVTimeLine> line;
  };

  // A new board from the factory playing 0.2 s of the movie in a window of
  // the board's own size, as the play engine sets it up.
  Play Start(const std::string& path) {
    Play play;
    EXPECT_EQ(factory_->CreateBoard(play.board), KlpOk);
    std::int32_t width = 0;
    std::int32_t height = 0;
    EXPECT_EQ(play.board->GetVideoFormat(0, width, height, nullptr), KlpOk);
    EXPECT_EQ(factory_->CreatePlayMovie(play.movie), KlpOk);
    EXPECT_EQ(play.movie->OpenFile(path), KlpOk);
    std::unique_ptr<IKlpSuperClip> clip;
    EXPECT_EQ(play.board->CreateSuperClip(7, 6, clip), KlpOk);
    EXPECT_EQ(clip->AddMovieFragment(*play.movie, 0.0, 0.2), KlpOk);
    EXPECT_EQ(play.board->CreateVTimeLine(0, 0x1000000, 0x800000, 0, play.line), KlpOk);
    EXPECT_EQ(play.line->SetWindow(0, 0, width, height), KlpOk);
    EXPECT_EQ(play.line->AddMovie(*clip), KlpOk);
    EXPECT_EQ(play.line->PutState(KlpStatePrepared), KlpOk);
    EXPECT_EQ(play.line->PutState(KlpStatePaused), KlpOk);
    EXPECT_EQ(play.line->PutState(KlpStatePlaying), KlpOk);
    return play;
  }

  testing::TempDir dir_;
  std::shared_ptr<VirtualBoardClock> clock_;
  std::shared_ptr<BoardOutput> output_;
  std::unique_ptr<IKlpComponentFactory> factory_;
  CaptureSink sink_;
  OfflinePump pump_;
};

TEST_F(BoardFormatSwitch, FramesComeOutInTheNewSizeAndRateOnceNothingPlays) {
  const std::string movie = RedMovie();
  {
    Play play = Start(movie);
    // Refused while a time line lives on the output: nothing changes.
    EXPECT_FALSE(output_->SetFormat(SoftwareBoardFormat{320, 180, 50.0}));
    EXPECT_EQ(output_->Format().width, 160);
    EXPECT_EQ(pump_.RunToEnd(100), 5);
  }
  ASSERT_EQ(sink_.Frames().size(), 5u);
  EXPECT_EQ(sink_.Frames()[0].frame.width, 160);
  EXPECT_EQ(sink_.Frames()[0].frame.height, 120);

  ASSERT_TRUE(output_->SetFormat(SoftwareBoardFormat{320, 180, 50.0}));
  Play play = Start(movie);
  std::int32_t width = 0;
  std::int32_t height = 0;
  double rate = 0.0;
  ASSERT_EQ(play.board->GetVideoFormat(0, width, height, &rate), KlpOk);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 180);
  EXPECT_DOUBLE_EQ(rate, 50.0);
  // 0.2 s at 50 frames a second, each of the new size, the movie filling it.
  EXPECT_EQ(pump_.RunToEnd(100), 10);
  ASSERT_EQ(sink_.Frames().size(), 15u);
  const RgbFrame& frame = sink_.Frames()[10].frame;
  EXPECT_EQ(frame.width, 320);
  EXPECT_EQ(frame.height, 180);
  const std::uint8_t* centre = frame.Pixel(160, 90);
  EXPECT_GT(centre[0], 180);
  EXPECT_LT(centre[1], 60);
}

}  // namespace
}  // namespace vantorelle
