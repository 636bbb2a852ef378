// The idle preview of a long-GOP movie: the board plays on in real time while
// the editor adds the frame under the time mark as a one-frame piece. A frame
// that takes longer to decode than a frame period (decoded from its key frame
// on) must still come up, late, and stay; it used to be dropped, and the
// preview stayed black.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "board_output_rig.h"
#include "playback/software_board/rgb_frame.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::BoardOutputRig;

bool RunFfmpeg(const std::string& arguments) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) return false;
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

int FrameNumberOf(const RgbFrame& frame) {
  return testing::ReadFrameNumber(frame.Pixel(0, 0), frame.width, frame.height);
}

TEST(IdlePreviewLongGop, AFrameSlowerToDecodeThanAFramePeriodStillShowsAndStays) {
  BoardOutputRig rig(SoftwareBoardFormat{320, 240, 25.0});
  // 720-line H.264 with B-frames, one key frame for all 125 frames: frame
  // 120 is decoded from frame 0 on, far slower than the 40 ms the output
  // waits. 4:3, so the picture fills the 4:3 output without bars.
  testing::MovieParams params;
  params.width = 960;
  params.height = 720;
  params.frameCount = 125;
  const std::string numbered = rig.Dir().File("numbered.avi");
  ASSERT_TRUE(testing::WriteAvi(numbered, params));
  const std::string path = rig.Dir().File("hd.mp4");
  if (!RunFfmpeg("-i '" + numbered + "' -c:v libx264 -preset veryfast -bf 2 -g 300 -pix_fmt yuv420p '" + path + "'")) {
    GTEST_SKIP() << "the ffmpeg program cannot make H.264";
  }
  auto movie = rig.Movie(path);
  ASSERT_NE(movie, nullptr);
  auto line = rig.VideoLine();
  ASSERT_EQ(line->PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line->PutState(KlpStatePlaying), KlpOk);

  // As the idle preview does: the line has caught up with the output, then
  // one frame is added just ahead of it.
  const double period = 1.0 / 25.0;
  ASSERT_EQ(line->AddEmpty(2 * period), KlpOk);
  auto clip = rig.VideoClip(*movie, 120 * period, period);
  ASSERT_EQ(line->AddMovie(*clip), KlpOk);

  // The output in real time: it never waits for the decoder.
  const auto start = std::chrono::steady_clock::now();
  int frame = 0;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    ASSERT_TRUE(rig.Output().RenderAt(frame * period, false));
    ++frame;
    std::this_thread::sleep_until(start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                              std::chrono::duration<double>(frame * period)));
    const auto& frames = rig.Sink().Frames();
    if (!frames.empty() && FrameNumberOf(frames.back().frame) == 120) break;
  }
  const auto& frames = rig.Sink().Frames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(FrameNumberOf(frames.back().frame), 120) << "after " << frames.size() << " output frames";
  // It stays once shown.
  for (int i = 0; i < 5; ++i, ++frame) ASSERT_TRUE(rig.Output().RenderAt(frame * period, false));
  EXPECT_EQ(FrameNumberOf(rig.Sink().Frames().back().frame), 120);
}

}  // namespace
}  // namespace vantorelle
