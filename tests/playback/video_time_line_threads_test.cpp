// The video time line decodes its movies with several threads, one per core
// (at most a few), and still shows each output frame's own source frame: at a
// cut into the middle of a GOP of an H.264 file with B-frames, where a decoder
// holding pictures back for its threads would hand out a neighbour.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "board_output_rig.h"
#include "playback/software_board/video_time_line.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::BoardOutputRig;

bool RunFfmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

// Threads of this process just now.
int ThreadsRunning() {
  DIR* tasks = ::opendir("/proc/self/task");
  if (!tasks) return -1;
  int count = 0;
  while (const dirent* entry = ::readdir(tasks)) {
    if (entry->d_name[0] != '.') ++count;
  }
  ::closedir(tasks);
  return count;
}

TEST(VideoTimeLineThreads, CutsIntoLongGopH264ShowTheirFramesWithSeveralDecodingThreads) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program on PATH";
  if (PlaybackDecodingThreads() < 2) GTEST_SKIP() << "one core: the time line decodes with one thread";
  BoardOutputRig rig;
  testing::MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 100;
  const std::string numbered = rig.Dir().File("numbered.avi");
  ASSERT_TRUE(testing::WriteAvi(numbered, params));
  const std::string path = rig.Dir().File("numbered.mp4");
  ASSERT_TRUE(RunFfmpeg("-i '" + numbered + "' -c:v libx264 -bf 3 -g 24 -crf 16 -pix_fmt yuv420p '" + path + "'"));

  auto movie = rig.Movie(path);
  auto line = rig.VideoLine();
  // Source frames 30..39, then a jump back to 7..14 and forward to 61..72:
  // each cut lands behind a key frame, between B-frames.
  auto first = rig.VideoClip(*movie, 1.2, 0.4);
  auto second = rig.VideoClip(*movie, 0.28, 0.32);
  auto third = rig.VideoClip(*movie, 2.44, 0.48);
  for (auto* clip : {first.get(), second.get(), third.get()}) ASSERT_EQ(line->AddMovie(*clip), KlpOk);

  const int threadsBefore = ThreadsRunning();
  ASSERT_EQ(line->PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line->PutState(KlpStatePaused), KlpOk);
  ASSERT_EQ(line->PutState(KlpStatePlaying), KlpOk);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.Pump().Step());
  // The line's decoding-ahead thread, and the decoder's own beyond it.
  EXPECT_GE(ThreadsRunning(), threadsBefore + 2);

  rig.Pump().RunToEnd(1000);
  const auto& frames = rig.Sink().Frames();
  ASSERT_EQ(frames.size(), 30u);
  for (int n = 0; n < 30; ++n) {
    const int expected = n < 10 ? 30 + n : n < 18 ? 7 + (n - 10) : 61 + (n - 18);
    EXPECT_EQ(testing::ReadFrameNumber(frames[n].frame.pixels.data(), 160, 120), expected) << "output frame " << n;
  }
}

}  // namespace
}  // namespace vantorelle
