// The software board in HD, 4K, square and vertical frames: pictures fill or
// are fitted into the whole frame, and nothing of them spills into the bars.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board_output_rig.h"
#include "playback/software_board/software_board_format.h"
#include "playback/software_board/ycrcb_image_component.h"

namespace vantorelle {
namespace {

using testing::BoardOutputRig;

bool RunFfmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

// A white H.264 movie of the size, 0.2 s at 25 frames a second.
std::string WhiteMovie(BoardOutputRig& rig, int width, int height) {
  const std::string path = rig.Dir().File("white-" + std::to_string(width) + "x" + std::to_string(height) + ".mp4");
  EXPECT_TRUE(RunFfmpeg("-f lavfi -i color=white:size=" + std::to_string(width) + "x" + std::to_string(height) +
                        ":rate=25 -t 0.2 -c:v libx264 -preset ultrafast -pix_fmt yuv420p '" + path + "'"));
  return path;
}

std::vector<RgbFrame> Play(BoardOutputRig& rig, const std::string& path) {
  auto movie = rig.Movie(path);
  if (!movie) return {};
  auto line = rig.VideoLine();
  auto clip = rig.VideoClip(*movie, 0.0, 0.2);
  EXPECT_EQ(line->AddMovie(*clip), KlpOk);
  EXPECT_EQ(line->PutState(KlpStatePrepared), KlpOk);
  EXPECT_EQ(line->PutState(KlpStatePaused), KlpOk);
  EXPECT_EQ(line->PutState(KlpStatePlaying), KlpOk);
  rig.Pump().RunToEnd(100);
  std::vector<RgbFrame> frames;
  for (const auto& captured : rig.Sink().Frames()) frames.push_back(captured.frame);
  return frames;
}

// The columns [from, to) of every row: all white (true) or all black.
bool Columns(const RgbFrame& frame, int from, int to, bool white) {
  for (int y = 0; y < frame.height; ++y) {
    for (int x = from; x < to; ++x) {
      const std::uint8_t* p = frame.Pixel(x, y);
      for (int c = 0; c < 3; ++c) {
        if (white ? p[c] < 240 : p[c] > 15) {
          ADD_FAILURE() << (white ? "not white" : "not black") << " at " << x << "," << y;
          return false;
        }
      }
    }
  }
  return true;
}

TEST(BoardBigFrames, PicturesFillFramesOfEveryShape) {
  struct Case {
    int width, height;  // the board's frame and the movie's
  };
  for (const Case c : {Case{1080, 1920}, Case{1080, 1080}, Case{1920, 1080}, Case{3840, 2160}}) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    BoardOutputRig rig(SoftwareBoardFormatOf(VideoFormat{c.width, c.height, 25000}));
    const std::vector<RgbFrame> frames = Play(rig, WhiteMovie(rig, c.width, c.height));
    ASSERT_EQ(frames.size(), 5u);
    for (const RgbFrame& frame : frames) {
      ASSERT_EQ(frame.width, c.width);
      ASSERT_EQ(frame.height, c.height);
      ASSERT_EQ(frame.pixels.size(), static_cast<std::size_t>(c.width) * c.height * 3);
      EXPECT_TRUE(Columns(frame, 0, c.width, true));
    }
  }
}

TEST(BoardBigFrames, APillarboxedPictureLeavesItsBarsBlack) {
  // A square picture 1080 wide in a 1920 × 1080 frame: bars of 420 each side.
  BoardOutputRig rig(SoftwareBoardFormatOf(VideoFormat{1920, 1080, 25000}));
  const std::vector<RgbFrame> frames = Play(rig, WhiteMovie(rig, 1080, 1080));
  ASSERT_EQ(frames.size(), 5u);
  for (const RgbFrame& frame : frames) {
    EXPECT_TRUE(Columns(frame, 0, 420, false));
    EXPECT_TRUE(Columns(frame, 420, 1500, true));
    EXPECT_TRUE(Columns(frame, 1500, 1920, false));
  }
}

TEST(BoardBigFrames, ADecodedPictureOf1080ColumnsFitsTheBufferItsSizeAsks) {
  // 1080 is no multiple of 16: the converter must not write past the picture.
  for (const int width : {1080, 1000, 1920}) {
    AvFramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = 8;
    ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int plane = 0; plane < 3; ++plane) {
      std::memset(frame->data[plane], plane == 0 ? 235 : 128,
                  static_cast<std::size_t>(frame->linesize[plane]) * (plane == 0 ? 8 : 4));
    }
    YCrCbImageComponent image;
    ASSERT_TRUE(image.TakePicture(*frame));
    const std::size_t needed = static_cast<std::size_t>(width) * 8 * 3;
    std::vector<std::uint8_t> memory(needed + 256, 0x5a);
    ASSERT_EQ(image.GetRGBData(memory.data(), needed), KlpOk);
    EXPECT_EQ(memory[0], 255) << width;
    EXPECT_EQ(memory[needed - 1], 255) << width;
    for (std::size_t i = needed; i < memory.size(); ++i) {
      ASSERT_EQ(memory[i], 0x5a) << "byte " << i - needed << " past a picture " << width << " wide";
    }
  }
}

}  // namespace
}  // namespace vantorelle
