// Frame pictures of long-GOP movies (H.264 in MP4, HEVC in MKV) through the
// work thread: the right frames at random times, each file opened once for
// all its pictures, and its movie closed when its source is destroyed.
#include <dirent.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>

#include "model/file_in_work.h"
#include "playback/frame_image_cache.h"
#include "playback/frame_image_components.h"
#include "playback/frame_image_producer.h"
#include "playback/frame_image_worker.h"
#include "playback/software_board/software_board_factory.h"
#include "support/fake_board.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using namespace std::chrono_literals;
using testing::ScriptedUserInterface;
using testing::TempDir;

bool RunFfmpeg(const std::string& arguments) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) return false;
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

// How many of this process's open files are the file at path.
int OpenDescriptorsOf(const std::string& path) {
  char wanted[PATH_MAX];
  if (!realpath(path.c_str(), wanted)) return -1;
  int count = 0;
  DIR* descriptors = opendir("/proc/self/fd");
  if (!descriptors) return -1;
  while (dirent* entry = readdir(descriptors)) {
    const std::string link = std::string("/proc/self/fd/") + entry->d_name;
    char target[PATH_MAX];
    const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) continue;
    target[length] = '\0';
    if (std::string(target) == wanted) ++count;
  }
  closedir(descriptors);
  return count;
}

// The software board's components, counting the movies made.
class CountingFactory final : public IKlpComponentFactory {
 public:
  explicit CountingFactory(std::shared_ptr<std::atomic<int>> moviesMade)
      : inner_(CreateSoftwareBoardFactory(SoftwareBoardFormat{})), moviesMade_(std::move(moviesMade)) {}
  KlpResult CreateBoard(std::unique_ptr<IKlpBoard>& b) override { return inner_->CreateBoard(b); }
  KlpResult CreatePlayMovie(std::unique_ptr<IKlpPlayMovie>& m) override {
    ++*moviesMade_;
    return inner_->CreatePlayMovie(m);
  }
  KlpResult CreatePlayStillImage(std::unique_ptr<IKlpPlayStillImage>& i) override {
    return inner_->CreatePlayStillImage(i);
  }
  KlpResult CreatePlayYCrCbImage(std::unique_ptr<IKlpPlayYCrCbImage>& i) override {
    return inner_->CreatePlayYCrCbImage(i);
  }
  KlpResult CreatePlayJPEGImage(std::unique_ptr<IKlpPlayJPEGImage>& i) override { return inner_->CreatePlayJPEGImage(i); }
  KlpResult CreatePlayTitleImage(std::unique_ptr<IKlpPlayTitleImage>& i) override {
    return inner_->CreatePlayTitleImage(i);
  }
  KlpResult CreateGetAVIInfo(std::unique_ptr<IGetAVIInfo>& i) override { return inner_->CreateGetAVIInfo(i); }

 private:
  std::unique_ptr<IKlpComponentFactory> inner_;
  std::shared_ptr<std::atomic<int>> moviesMade_;
};

class WantedView : public IFrameImageView {
 public:
  explicit WantedView(CFrameImageCache& cache) : cache_(cache) {}
  std::optional<FrameRequest> FetchRequest() override {
    std::optional<WantedFrameImage> missing = cache_.FirstMissing(wanted);
    if (!missing) return std::nullopt;
    return MakeFrameRequest(*missing->source, missing->time);
  }
  bool DeliverResult(FrameRequest& request) override { return cache_.Store(std::move(request)); }

  std::vector<WantedFrameImage> wanted;

 private:
  CFrameImageCache& cache_;
};

struct LongGopKind {
  const char* name;
  const char* file;
  const char* encoder;
};

class FrameImageLongGop : public ::testing::TestWithParam<LongGopKind> {};

TEST_P(FrameImageLongGop, RandomPicturesShowTheirFramesFromOneOpeningUntilTheSourceGoes) {
  const LongGopKind kind = GetParam();
  TempDir dir;
  testing::MovieParams params;  // 320 × 240, numbered frames
  params.frameCount = 50;       // 2 s at 25 fps
  const std::string numbered = dir.File("numbered.avi");
  ASSERT_TRUE(testing::WriteAvi(numbered, params));
  const std::string path = dir.File(kind.file);
  if (!RunFfmpeg("-i '" + numbered + "' " + kind.encoder + " '" + path + "'")) {
    GTEST_SKIP() << "the ffmpeg program cannot make " << kind.name;
  }

  testing::VideoStandardScope standard{VideoStandard{}};
  FileInWork fileInWork;
  auto source = std::make_unique<CSrc>(path, kind.file);
  source->flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  source->GuardWith(&fileInWork);
  CFrameImageCache cache;
  cache.RegisterSource(*source);
  WantedView view(cache);
  // Backwards, forwards across key frames, and within one group of pictures
  // (at least two frames apart: the cache takes a picture for its neighbours).
  const std::vector<int> frames{37, 3, 45, 12, 0, 29, 49, 20, 22, 8};
  for (int frame : frames) view.wanted.push_back({source.get(), frame * 40.0 + 10.0});
  auto moviesMade = std::make_shared<std::atomic<int>>(0);
  FrameImageWorker worker(std::make_unique<CountingFactory>(moviesMade), fileInWork);
  cache.SetRequestSignal([&] { worker.Signal(); });
  ScriptedUserInterface ui;
  ASSERT_TRUE(worker.Start(view, ui));
  worker.Signal();
  const auto giveUp = std::chrono::steady_clock::now() + 20s;
  while (cache.PictureCount() < frames.size() && std::chrono::steady_clock::now() < giveUp) {
    worker.WaitForHandOver(50ms);
    worker.ServeHandOver();
  }
  ASSERT_EQ(cache.PictureCount(), frames.size()) << ::testing::PrintToString(ui.MessageTexts());
  for (int frame : frames) {
    const CFrameImage* picture = cache.Lookup(*source, frame * 40.0 + 10.0, true);
    ASSERT_NE(picture, nullptr) << frame;
    EXPECT_EQ(testing::ReadFrameNumber(picture->pixels.data(), kFrameImageWidth, kFrameImageHeight), frame);
  }

  // One opening served every picture, and the file stays open for the next.
  EXPECT_EQ(moviesMade->load(), 1);
  EXPECT_EQ(worker.FilesOpened(), 1);
  EXPECT_TRUE(worker.KeepsFileOpen(path));
  EXPECT_GE(OpenDescriptorsOf(path), 1);

  // A source that goes takes its open file with it; the worker lives on.
  cache.UnregisterSource(*source);
  source.reset();
  EXPECT_FALSE(worker.KeepsFileOpen(path));
  EXPECT_EQ(OpenDescriptorsOf(path), 0);
  EXPECT_TRUE(worker.Stop());
  EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, FrameImageLongGop,
    ::testing::Values(LongGopKind{"H.264 in MP4", "numbered.mp4", "-c:v libx264 -bf 2 -g 12 -pix_fmt yuv420p"},
                      LongGopKind{"HEVC in MKV", "numbered.mkv",
                                  "-c:v libx265 -x265-params keyint=12:bframes=2:log-level=error -pix_fmt yuv420p"}),
    [](const ::testing::TestParamInfo<LongGopKind>& info) { return info.index == 0 ? "H264Mp4" : "HevcMkv"; });

// ---------------------------------------------------------------------------
// The movies kept between pictures.

TEST(FrameImageComponents, KeepsTheMoviesUsedLastAndClosesTheOldestBeyondItsCapacity) {
  testing::FakeComponentFactory factory;
  FrameImageComponents kept(2);
  const auto movie = [&] {
    std::unique_ptr<IKlpPlayMovie> made;
    factory.CreatePlayMovie(made);
    return made;
  };
  kept.KeepMovie("a", movie(), true);
  kept.KeepMovie("b", movie(), true);
  // Using "a" again makes "b" the oldest.
  std::unique_ptr<IKlpPlayMovie> a = kept.BorrowMovie("a");
  ASSERT_NE(a, nullptr);
  EXPECT_FALSE(kept.HoldsMovie("a"));  // borrowed: nobody can close it under the worker
  kept.KeepMovie("a", std::move(a), false);
  kept.KeepMovie("c", movie(), true);
  EXPECT_TRUE(kept.HoldsMovie("a"));
  EXPECT_FALSE(kept.HoldsMovie("b"));
  EXPECT_TRUE(kept.HoldsMovie("c"));
  EXPECT_EQ(kept.MovieCount(), 2u);
  EXPECT_EQ(kept.MoviesOpened(), 3);
  EXPECT_EQ(kept.BorrowMovie("b"), nullptr);

  kept.CloseMovie("c");
  EXPECT_FALSE(kept.HoldsMovie("c"));
  kept.CloseAll();
  EXPECT_EQ(kept.MovieCount(), 0u);
}

TEST(FrameImageComponents, TheProducerOpensAKeptMovieOnceAndClosesOneThatFails) {
  testing::FakeComponentFactory factory;
  factory.Config().movies["/media/a.avi"] = testing::FakeMovie{};
  CSrc movie("/media/a.avi", "a.avi");
  movie.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  FrameImageComponents kept;
  for (TimeMs time : {1000.0, 5000.0, 2000.0}) {
    FrameRequest request = MakeFrameRequest(movie, time);
    ASSERT_TRUE(ProduceFrameImage(factory, request, kept));
  }
  EXPECT_EQ(factory.CountCalls("IKlpPlayMovie::OpenFile"), 1);
  EXPECT_EQ(factory.CountCalls("Create:IKlpPlayYCrCbImage"), 1);
  EXPECT_TRUE(kept.HoldsMovie("/media/a.avi"));

  // A picture that cannot be made closes the movie; the next opens it afresh.
  factory.Config().results["IKlpPlayMovie::CopyToJPEGImage"] = KlpReadFault;
  FrameRequest failing = MakeFrameRequest(movie, 3000.0);
  EXPECT_FALSE(ProduceFrameImage(factory, failing, kept));
  EXPECT_FALSE(kept.HoldsMovie("/media/a.avi"));
}

}  // namespace
}  // namespace vantorelle
