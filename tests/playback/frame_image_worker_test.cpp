// Making frame pictures: what one request produces through the components,
// and the work thread that makes them for the track area, handing requests
// and results over to the user-interface thread (the test's own).
#include "playback/frame_image_worker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "playback/frame_image_cache.h"
#include "playback/frame_image_producer.h"
#include "playback/software_board/software_board_factory.h"
#include "support/fake_board.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using namespace std::chrono_literals;
using testing::FakeComponentFactory;
using testing::ScriptedUserInterface;
using testing::TempDir;
using testing::VideoStandardScope;
using ::testing::ElementsAre;

int FrameNumberIn(const std::vector<std::uint8_t>& thumbnail) {
  // 64 × 3 bytes is a multiple of 4: the rows carry no padding.
  return testing::ReadFrameNumber(thumbnail.data(), kFrameImageWidth, kFrameImageHeight);
}

// ---------------------------------------------------------------------------
// One request through the components.

class FrameImageProducerTest : public ::testing::Test {
 protected:
  FrameImageProducerTest() {
    movie_.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
    factory_.Config().movies[movie_.path] = testing::FakeMovie{};  // JPEG video, 10 s at 25 fps
  }

  FakeComponentFactory factory_;
  CSrc movie_{"/media/a.avi", "a.avi"};
};

TEST_F(FrameImageProducerTest, DecodesAJpegFrameAndShrinksItsPicture) {
  FrameRequest request = MakeFrameRequest(movie_, 5000);
  ASSERT_TRUE(ProduceFrameImage(factory_, request));
  EXPECT_THAT(factory_.Calls(),
              ElementsAre("Create:IKlpPlayYCrCbImage()", "Create:IKlpPlayMovie()", "IKlpPlayMovie::OpenFile(/media/a.avi)",
                          "IKlpPlayMovie::GetMovieInfo(0)", "Create:IKlpPlayJPEGImage()",
                          "IKlpPlayMovie::CopyToJPEGImage(5)", "IKlpPlayJPEGImage::DecompressToImage()",
                          "IKlpPlayYCrCbImage::QueryYCrCbImageRGB()",
                          "IKlpYCrCbImageRGB::GetRGBData(1244160)"));  // 720 × 576 × 3
  ASSERT_EQ(request.pixels.size(), 192u * 48);
  EXPECT_EQ(request.pixels[0], 0x80);
  EXPECT_TRUE(request.reports.empty());
}

TEST_F(FrameImageProducerTest, AnUncompressedStreamIsCopiedStraightToTheImage) {
  factory_.Config().movies[movie_.path].streamFlags = KlpStream::YCrCbVideo;
  FrameRequest request = MakeFrameRequest(movie_, 1000);
  ASSERT_TRUE(ProduceFrameImage(factory_, request));
  EXPECT_EQ(factory_.CountCalls("IKlpPlayMovie::CopyToYCrCbImage(1)"), 1);
  EXPECT_EQ(factory_.CountCalls("Create:IKlpPlayJPEGImage"), 0);
}

TEST_F(FrameImageProducerTest, ARequestAtOrPastTheLastFrameTakesTheLastFrame) {
  EXPECT_DOUBLE_EQ(MovieFrameSeconds(10'000, 10.0, 25.0), 9.96);
  EXPECT_DOUBLE_EQ(MovieFrameSeconds(12'345, 10.0, 25.0), 9.96);
  EXPECT_DOUBLE_EQ(MovieFrameSeconds(9'960, 10.0, 25.0), 9.96);
  EXPECT_DOUBLE_EQ(MovieFrameSeconds(9'950, 10.0, 25.0), 9.95);
  EXPECT_DOUBLE_EQ(MovieFrameSeconds(0, 0.0, 25.0), 0.0);
  FrameRequest request = MakeFrameRequest(movie_, 10'000);
  ASSERT_TRUE(ProduceFrameImage(factory_, request));
  EXPECT_EQ(factory_.CountCalls("IKlpPlayMovie::CopyToJPEGImage(9.96)"), 1);
}

TEST_F(FrameImageProducerTest, AFailingStepIsReportedAndGivesTheRequestUp) {
  struct Case {
    const char* operation;
    const char* caption;
  };
  for (const Case& c : {Case{"Create:IKlpPlayYCrCbImage", "Error -- FrameImage : IKlpPlayYCrCbImage failed"},
                        Case{"Create:IKlpPlayMovie", "Error -- FrameImage : IKlpPlayMovie failed"},
                        Case{"IKlpPlayMovie::OpenFile", "Error -- FrameImage : Open File failed"},
                        Case{"IKlpPlayMovie::GetMovieInfo", "Error -- FrameImage : Cet MovieInfo failed"},
                        Case{"Create:IKlpPlayJPEGImage", "Error -- FrameImage : Create IKlpPlayJPEGImage failed"},
                        Case{"IKlpPlayMovie::CopyToJPEGImage", "Error -- FrameImage : Copy to JPEG Image failed"},
                        Case{"IKlpPlayJPEGImage::DecompressToImage", "Error -- FrameImage : Decompress to image failed"},
                        Case{"IKlpYCrCbImageRGB::GetRGBData", "Error -- FrameImage : Get RGB data failed"}}) {
    SCOPED_TRACE(c.operation);
    factory_.Config().results = {{c.operation, KlpFail}};
    FrameRequest request = MakeFrameRequest(movie_, 0);
    EXPECT_FALSE(ProduceFrameImage(factory_, request));
    EXPECT_TRUE(request.pixels.empty());
    ASSERT_EQ(request.reports.size(), 1u);
    EXPECT_EQ(request.reports[0].caption, c.caption);
    EXPECT_EQ(request.reports[0].text, KlpResultText(KlpFail));
  }
}

TEST_F(FrameImageProducerTest, AStillImageIsLoadedAtItsStoredSize) {
  CSrc still("/media/logo.png", "logo.png");
  still.flags = SourceFlags::VideoStream;
  still.frameWidth = 10;
  still.frameHeight = 4;
  factory_.Config().images[still.path] = {10, 4};
  FrameRequest request = MakeFrameRequest(still, 0);
  ASSERT_TRUE(ProduceFrameImage(factory_, request));
  EXPECT_EQ(factory_.CountCalls("IKlpTitleImageRGB::GetRGBData(160)"), 1);  // 10 × 4 × 4
  EXPECT_EQ(request.pixels[0], 0x40);

  factory_.Config().results = {{"IKlpTitleImageRGB::GetRGBData", KlpFail}};
  FrameRequest failing = MakeFrameRequest(still, 0);
  EXPECT_FALSE(ProduceFrameImage(factory_, failing));
  ASSERT_EQ(failing.reports.size(), 1u);
  EXPECT_EQ(failing.reports[0].caption, "Error -- PlayTitleImage : GetRGBData failed");
}

TEST_F(FrameImageProducerTest, SourcesWithoutAPictureAskNothing) {
  CSrc sound("/media/voice.wav", "voice.wav");
  sound.flags = SourceFlags::MovieFile | SourceFlags::AudioStream;
  FrameRequest request = MakeFrameRequest(sound, 0);
  EXPECT_FALSE(ProduceFrameImage(factory_, request));
  EXPECT_TRUE(factory_.Calls().empty());
}

TEST(FrameImageProducerMedia, ThumbnailsOfAGeneratedMovieShowTheFrameAskedFor) {
  TempDir dir;
  testing::MovieParams params;  // 320 × 240 MJPEG, numbered frames
  params.frameCount = 30;
  const std::string path = dir.File("numbered.avi");
  ASSERT_TRUE(testing::WriteAvi(path, params));
  CSrc movie(path, "numbered.avi");
  movie.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  auto factory = CreateSoftwareBoardFactory(SoftwareBoardFormat{});
  for (auto [time, frame] : {std::pair{10.0, 0}, {410.0, 10}, {1010.0, 25}, {1160.0, 29}, {60'000.0, 29}}) {
    SCOPED_TRACE(time);
    FrameRequest request = MakeFrameRequest(movie, time);
    ASSERT_TRUE(ProduceFrameImage(*factory, request));
    EXPECT_EQ(FrameNumberIn(request.pixels), frame);
  }
}

// ---------------------------------------------------------------------------
// The work thread.

// The track area's side of the hand-over: it asks for the first wanted
// picture the cache lacks and files what comes back.
class CacheView : public IFrameImageView {
 public:
  CacheView(CFrameImageCache& cache, FileInWork& fileInWork) : cache_(cache), fileInWork_(fileInWork) {}

  std::optional<FrameRequest> FetchRequest() override {
    ++fetches;
    std::optional<WantedFrameImage> missing = cache_.FirstMissing(wanted);
    if (!missing) return std::nullopt;
    return MakeFrameRequest(*missing->source, missing->time);
  }
  bool DeliverResult(FrameRequest& request) override {
    ++deliveries;
    if (!fileInWork_.Current().empty()) ++deliveredWhileFileInWork;
    if (refusals > 0) {
      --refusals;
      return false;
    }
    cache_.Store(std::move(request));
    return true;
  }

  std::vector<WantedFrameImage> wanted;
  int refusals = 0;
  int fetches = 0;
  int deliveries = 0;
  int deliveredWhileFileInWork = 0;

 private:
  CFrameImageCache& cache_;
  FileInWork& fileInWork_;
};

// The same side as the track area has it: it also answers what comes after
// the picture under way, so quick pictures of one file follow each other.
class AheadCacheView : public CacheView {
 public:
  AheadCacheView(CFrameImageCache& cache, FileInWork& fileInWork) : CacheView(cache, fileInWork), cache_(cache) {}

  std::optional<FrameRequest> FetchRequestAfter(const FrameRequest& underWay) override {
    ++aheadFetches;
    std::optional<WantedFrameImage> missing = cache_.FirstMissing(wanted, {underWay.source, underWay.time});
    if (!missing) return std::nullopt;
    return MakeFrameRequest(*missing->source, missing->time);
  }

  int aheadFetches = 0;

 private:
  CFrameImageCache& cache_;
};

// Serves the worker's hand-overs, as the user-interface thread's timer would,
// until done() holds; false when it never does.
template <typename Done>
bool ServeUntil(FrameImageWorker& worker, Done done) {
  const auto giveUp = std::chrono::steady_clock::now() + 30s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    worker.WaitForHandOver(50ms);
    worker.ServeHandOver();
  }
  return true;
}

// A factory whose components can be held up at their creation, so a test
// knows the worker is inside a component.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  bool open = true;
  bool waiting = false;

  void Close() {
    std::lock_guard lock(mutex);
    open = false;
  }
  void Open() {
    std::lock_guard lock(mutex);
    open = true;
    changed.notify_all();
  }
  void Pass() {
    std::unique_lock lock(mutex);
    waiting = true;
    changed.notify_all();
    changed.wait(lock, [&] { return open; });
    waiting = false;
  }
  bool WaitUntilHeld() {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, 30s, [&] { return waiting; });
  }
};

class GatedFactory final : public IKlpComponentFactory {
 public:
  GatedFactory(std::unique_ptr<IKlpComponentFactory> inner, std::shared_ptr<Gate> gate, bool throwing = false)
      : inner_(std::move(inner)), gate_(std::move(gate)), throwing_(throwing) {}
  KlpResult CreateBoard(std::unique_ptr<IKlpBoard>& b) override { return inner_->CreateBoard(b); }
  KlpResult CreatePlayMovie(std::unique_ptr<IKlpPlayMovie>& m) override { return inner_->CreatePlayMovie(m); }
  KlpResult CreatePlayStillImage(std::unique_ptr<IKlpPlayStillImage>& i) override {
    return inner_->CreatePlayStillImage(i);
  }
  KlpResult CreatePlayYCrCbImage(std::unique_ptr<IKlpPlayYCrCbImage>& i) override {
    gate_->Pass();
    if (throwing_) throw std::runtime_error("component fault");
    return inner_->CreatePlayYCrCbImage(i);
  }
  KlpResult CreatePlayJPEGImage(std::unique_ptr<IKlpPlayJPEGImage>& i) override { return inner_->CreatePlayJPEGImage(i); }
  KlpResult CreatePlayTitleImage(std::unique_ptr<IKlpPlayTitleImage>& i) override {
    gate_->Pass();
    return inner_->CreatePlayTitleImage(i);
  }
  KlpResult CreateGetAVIInfo(std::unique_ptr<IGetAVIInfo>& i) override { return inner_->CreateGetAVIInfo(i); }

 private:
  std::unique_ptr<IKlpComponentFactory> inner_;
  std::shared_ptr<Gate> gate_;
  bool throwing_;
};

class FrameImageWorkerTest : public ::testing::Test {
 protected:
  FrameImageWorkerTest() {
    testing::MovieParams params;
    params.frameCount = 50;  // 2 s at 25 fps
    moviePath_ = dir_.File("numbered.avi");
    EXPECT_TRUE(testing::WriteAvi(moviePath_, params));
    movie_ = std::make_unique<CSrc>(moviePath_, "numbered.avi");
    movie_->flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
    movie_->GuardWith(&fileInWork_);
    cache_.RegisterSource(*movie_);
  }

  std::unique_ptr<FrameImageWorker> MakeWorker(bool throwing = false) {
    auto factory = std::make_unique<GatedFactory>(CreateSoftwareBoardFactory(SoftwareBoardFormat{}), gate_, throwing);
    auto worker = std::make_unique<FrameImageWorker>(std::move(factory), fileInWork_);
    cache_.SetRequestSignal([w = worker.get()] { w->Signal(); });
    return worker;
  }

  TempDir dir_;
  std::string moviePath_;
  VideoStandardScope standard_{VideoStandard{}};
  FileInWork fileInWork_;
  std::unique_ptr<CSrc> movie_;
  CFrameImageCache cache_;
  CacheView view_{cache_, fileInWork_};
  ScriptedUserInterface ui_;
  std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();
};

TEST_F(FrameImageWorkerTest, MakesTheWantedPicturesWithTheRightFrames) {
  auto worker = MakeWorker();
  for (int frame : {0, 12, 31, 49}) view_.wanted.push_back({movie_.get(), frame * 40.0 + 10.0});
  view_.wanted.push_back({movie_.get(), 90'000.0});  // past the end
  ASSERT_TRUE(worker->Start(view_, ui_));
  EXPECT_FALSE(worker->Start(view_, ui_));
  EXPECT_EQ(cache_.Lookup(*movie_, 0, false), nullptr);  // the miss wakes the worker
  ASSERT_TRUE(ServeUntil(*worker, [&] { return cache_.PictureCount() == 5; }));

  std::vector<std::pair<TimeMs, int>> seen;
  for (const CFrameImage& image : cache_.Bucket(*movie_)->images) seen.emplace_back(image.time, FrameNumberIn(image.pixels));
  EXPECT_THAT(seen, ElementsAre(std::pair{10.0, 0}, std::pair{490.0, 12}, std::pair{1250.0, 31},
                                std::pair{1970.0, 49}, std::pair{90'000.0, 49}));
  EXPECT_EQ(view_.deliveredWhileFileInWork, 0);
  EXPECT_TRUE(worker->Stop());
  EXPECT_TRUE(worker->Finished());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(FrameImageWorkerTest, AStillImageIsMadeOnceWhateverTimesItsClipsWant) {
  const std::string path = dir_.File("logo.png");
  ASSERT_TRUE(testing::WriteImage(path, testing::ImageFormat::Png, 80, 60, {20, 200, 90}));
  CSrc still(path, "logo.png");
  still.flags = SourceFlags::VideoStream;
  still.frameWidth = 80;
  still.frameHeight = 60;
  still.GuardWith(&fileInWork_);
  cache_.RegisterSource(still);
  for (TimeMs t : {0.0, 1000.0, 2000.0, 3000.0}) view_.wanted.push_back({&still, t});
  view_.wanted.push_back({movie_.get(), 10.0});
  auto worker = MakeWorker();
  ASSERT_TRUE(worker->Start(view_, ui_));
  worker->Signal();
  ASSERT_TRUE(ServeUntil(*worker, [&] { return cache_.PictureCount() == 2; }));
  EXPECT_EQ(view_.deliveries, 2);
  const CFrameImage* picture = cache_.Lookup(still, 2500, true);
  ASSERT_NE(picture, nullptr);
  EXPECT_NEAR(picture->pixels[0], 20, 2);
  EXPECT_NEAR(picture->pixels[1], 200, 2);
  EXPECT_NEAR(picture->pixels[2], 90, 2);
  EXPECT_TRUE(worker->Stop());
}

TEST_F(FrameImageWorkerTest, ARefusedResultIsDroppedAndAskedForAgain) {
  auto worker = MakeWorker();
  view_.wanted.push_back({movie_.get(), 410.0});
  view_.refusals = 2;
  ASSERT_TRUE(worker->Start(view_, ui_));
  worker->Signal();
  ASSERT_TRUE(ServeUntil(*worker, [&] { return cache_.PictureCount() == 1; }));
  EXPECT_EQ(view_.deliveries, 3);
  EXPECT_EQ(FrameNumberIn(cache_.Bucket(*movie_)->images.front().pixels), 10);
  EXPECT_TRUE(worker->Stop());
}

TEST_F(FrameImageWorkerTest, TheFileIsNamedInWorkWhileItsPictureIsMade) {
  auto worker = MakeWorker();
  view_.wanted.push_back({movie_.get(), 10.0});
  gate_->Close();
  ASSERT_TRUE(worker->Start(view_, ui_));
  worker->Signal();
  ASSERT_TRUE(worker->WaitForHandOver(30s));
  EXPECT_EQ(worker->ServeHandOver(), 1u);  // the request
  ASSERT_TRUE(gate_->WaitUntilHeld());
  EXPECT_TRUE(fileInWork_.Holds(moviePath_));
  gate_->Open();
  ASSERT_TRUE(ServeUntil(*worker, [&] { return cache_.PictureCount() == 1; }));
  EXPECT_EQ(view_.deliveredWhileFileInWork, 0);
  EXPECT_TRUE(worker->Stop());
  EXPECT_EQ(fileInWork_.Current(), "");
  movie_.reset();  // nothing holds its file: destruction does not wait
}

// Quick pictures of one file go on without a round trip to the
// user-interface thread: the next is asked for while one is made, and each is
// handed back without waiting. A thread that serves nothing (waiting for the
// file, as a source being destroyed does) is never waited on meanwhile.
TEST_F(FrameImageWorkerTest, QuickPicturesOfOneFileFollowEachOtherWithoutARoundTripEach) {
  AheadCacheView view(cache_, fileInWork_);
  CSrc other(moviePath_, "numbered.avi");  // a second source of the same file
  other.flags = movie_->flags;
  cache_.RegisterSource(other);
  for (int frame = 0; frame < 50; frame += 2) view.wanted.push_back({movie_.get(), frame * 40.0 + 10.0});
  view.wanted.push_back({&other, 10.0});
  view.wanted.push_back({movie_.get(), 10.0});  // asked twice: made once
  auto worker = MakeWorker();
  worker->SetAskAheadWait(30s);  // the test's serving loop may be slow to wake
  ASSERT_TRUE(worker->Start(view, ui_));
  worker->Signal();
  ASSERT_TRUE(ServeUntil(*worker, [&] { return cache_.PictureCount() == 26; }));
  int frame = 0;
  for (const CFrameImage& image : cache_.Bucket(*movie_)->images) {
    EXPECT_EQ(FrameNumberIn(image.pixels), frame);
    frame += 2;
  }
  EXPECT_EQ(frame, 50);
  EXPECT_EQ(FrameNumberIn(cache_.Bucket(other)->images.front().pixels), 0);
  EXPECT_EQ(view.deliveries, 26);
  // The first picture (opening the file) and the last of a file take the
  // round trip; the others were asked for ahead.
  EXPECT_GE(view.aheadFetches, 20);
  EXPECT_LE(view.fetches, 6);
  EXPECT_TRUE(worker->Stop());
  EXPECT_EQ(fileInWork_.Current(), "");
  cache_.UnregisterSource(other);
}

TEST_F(FrameImageWorkerTest, AnAskAheadNobodyTakesUpIsWithdrawnAndFreesTheFile) {
  AheadCacheView view(cache_, fileInWork_);
  for (int frame : {0, 10, 20, 30}) view.wanted.push_back({movie_.get(), frame * 40.0 + 10.0});
  auto worker = MakeWorker();
  worker->SetAskAheadWait(50ms);
  ASSERT_TRUE(worker->Start(view, ui_));
  worker->Signal();
  // The first picture takes the round trip, which hands out the second.
  ASSERT_TRUE(ServeUntil(*worker, [&] { return view.deliveries == 1; }));
  // Serving nothing more, as a thread waiting for the file does: the worker
  // makes the second picture, withdraws its ask-ahead and lets the file go.
  const auto giveUp = std::chrono::steady_clock::now() + 30s;
  while (fileInWork_.Holds(moviePath_) && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(1ms);
  EXPECT_FALSE(fileInWork_.Holds(moviePath_)) << "the worker waits on a thread that waits for its file";
  ASSERT_TRUE(ServeUntil(*worker, [&] { return cache_.PictureCount() == 4; }));
  EXPECT_EQ(FrameNumberIn(cache_.Bucket(*movie_)->images.back().pixels), 30);
  EXPECT_TRUE(worker->Stop());
}

// The track area's side when it answers several pictures ahead: it notes
// the order pictures reach it in, and how often the worker woke it.
class BatchCacheView : public AheadCacheView {
 public:
  BatchCacheView(CFrameImageCache& cache, FileInWork& fileInWork)
      : AheadCacheView(cache, fileInWork), cache_(cache) {}

  std::vector<FrameRequest> FetchRequestsAfter(const std::vector<FrameRequest>& underWay, std::size_t most) override {
    ++batchFetches;
    std::vector<WantedFrameImage> coming;
    for (const FrameRequest& request : underWay) coming.push_back({request.source, request.time});
    std::vector<FrameRequest> next;
    for (const WantedFrameImage& missing : cache_.Missing(wanted, coming, most)) {
      next.push_back(MakeFrameRequest(*missing.source, missing.time));
    }
    return next;
  }
  bool DeliverResult(FrameRequest& request) override {
    if (!request.pixels.empty()) frames.push_back(FrameNumberIn(request.pixels));
    return CacheView::DeliverResult(request);
  }

  int batchFetches = 0;
  std::vector<int> frames;  // as delivered
  std::atomic<int> wakeUps{0};

 private:
  CFrameImageCache& cache_;
};

std::vector<int> EveryOtherFrame(int count) {
  std::vector<int> frames;
  for (int frame = 0; frame < count; frame += 2) frames.push_back(frame);
  return frames;
}

// Quick pictures of one file are asked for several at a time and handed back
// without waking the user-interface thread for each, every one in the order
// asked and once.
TEST_F(FrameImageWorkerTest, QuickPicturesAreAskedForAndHandedBackSeveralAtATime) {
  BatchCacheView view(cache_, fileInWork_);
  for (int frame : EveryOtherFrame(50)) view.wanted.push_back({movie_.get(), frame * 40.0 + 10.0});
  auto worker = MakeWorker();
  worker->SetAskAheadWait(30s);   // the test's serving loop may be slow to wake
  worker->SetAskAheadSpan(30s);   // as many ahead as it takes
  worker->SetHandOverNotifier([&] { ++view.wakeUps; });
  ASSERT_TRUE(worker->Start(view, ui_));
  worker->Signal();
  ASSERT_TRUE(ServeUntil(*worker, [&] { return cache_.PictureCount() == 25; }));
  EXPECT_EQ(view.frames, EveryOtherFrame(50));
  EXPECT_EQ(view.deliveries, 25);
  // One wake-up for each picture would be 25; the first two pictures take a
  // round trip each, the others come kFrameImageMostAhead at a time.
  EXPECT_LE(view.wakeUps, 12);
  EXPECT_LE(view.batchFetches, 8);
  // The counts tell the same (the notifier of the last wake-up may still
  // be on its way).
  const FrameImageHandOverCounts counts = worker->HandOverCounts();
  EXPECT_LE(counts.wakeUps, 12);
  EXPECT_GE(counts.wakeUps, view.wakeUps);
  EXPECT_EQ(counts.withdrawn, 0);
  EXPECT_TRUE(worker->Stop());
  EXPECT_EQ(fileInWork_.Current(), "");
}

// A thread that stops serving (waiting for the file, as a source being
// destroyed does) gets the file back once the requests in hand are made, and
// the pictures made meanwhile are all handed back afterwards, in order.
TEST_F(FrameImageWorkerTest, PicturesMadeAheadReachTheViewAfterTheFileIsLetGo) {
  BatchCacheView view(cache_, fileInWork_);
  for (int frame : EveryOtherFrame(50)) view.wanted.push_back({movie_.get(), frame * 40.0 + 10.0});
  auto worker = MakeWorker();
  worker->SetAskAheadWait(50ms);
  worker->SetAskAheadSpan(30s);
  ASSERT_TRUE(worker->Start(view, ui_));
  worker->Signal();
  // Served until an ask-ahead has put several requests in the worker's hand.
  ASSERT_TRUE(ServeUntil(*worker, [&] { return view.batchFetches >= 2; }));
  const auto giveUp = std::chrono::steady_clock::now() + 30s;
  while (fileInWork_.Holds(moviePath_) && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(1ms);
  EXPECT_FALSE(fileInWork_.Holds(moviePath_)) << "the worker waits on a thread that waits for its file";
  const int before = view.deliveries;
  ASSERT_TRUE(worker->WaitForHandOver(30s));
  worker->ServeHandOver();
  EXPECT_GE(view.deliveries - before, 4) << "pictures made while nobody served";
  ASSERT_TRUE(ServeUntil(*worker, [&] { return cache_.PictureCount() == 25; }));
  EXPECT_EQ(view.frames, EveryOtherFrame(50));
  EXPECT_EQ(view.deliveries, 25);
  EXPECT_GE(worker->HandOverCounts().withdrawn, 1);
  EXPECT_TRUE(worker->Stop());
}

TEST_F(FrameImageWorkerTest, StopsWhileWaitingForAnUnservedHandOver) {
  auto worker = MakeWorker();
  view_.wanted.push_back({movie_.get(), 10.0});
  ASSERT_TRUE(worker->Start(view_, ui_));
  worker->Signal();
  ASSERT_TRUE(worker->WaitForHandOver(30s));
  EXPECT_TRUE(worker->Stop());
  EXPECT_TRUE(worker->Finished());
  EXPECT_EQ(worker->ServeHandOver(), 0u);  // nothing is served after the stop
  EXPECT_EQ(view_.fetches, 0);
}

TEST_F(FrameImageWorkerTest, StopsWhenIdleSuspendedOrNeverStarted) {
  {
    auto idle = MakeWorker();
    ASSERT_TRUE(idle->Start(view_, ui_));
    EXPECT_TRUE(idle->Stop());
    EXPECT_TRUE(idle->Stop());
    EXPECT_FALSE(idle->Start(view_, ui_));
  }
  {
    auto suspended = MakeWorker();
    ASSERT_TRUE(suspended->Start(view_, ui_));
    suspended->Suspend();
    suspended->Signal();
    EXPECT_TRUE(suspended->Stop());
  }
  auto unstarted = MakeWorker();
  EXPECT_TRUE(unstarted->Stop());
}

TEST_F(FrameImageWorkerTest, AWorkerStuckInAComponentIsLeftBehindWithoutHoldingTheFile) {
  auto worker = MakeWorker();
  view_.wanted.push_back({movie_.get(), 10.0});
  gate_->Close();
  ASSERT_TRUE(worker->Start(view_, ui_));
  worker->Signal();
  ASSERT_TRUE(worker->WaitForHandOver(30s));
  worker->ServeHandOver();
  ASSERT_TRUE(gate_->WaitUntilHeld());
  EXPECT_FALSE(worker->Stop(20ms));
  EXPECT_EQ(fileInWork_.Current(), "");
  movie_.reset();  // a source may go at once
  gate_->Open();
  const auto giveUp = std::chrono::steady_clock::now() + 30s;
  while (!worker->Finished() && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(worker->Finished());
  EXPECT_EQ(worker->ServeHandOver(), 0u);
  EXPECT_EQ(fileInWork_.Current(), "");
}

TEST_F(FrameImageWorkerTest, ASuspendedWorkerAsksForNothingUntilResumed) {
  auto worker = MakeWorker();
  view_.wanted.push_back({movie_.get(), 10.0});
  view_.wanted.push_back({movie_.get(), 1010.0});
  ASSERT_TRUE(worker->Start(view_, ui_));
  worker->Suspend();
  EXPECT_TRUE(worker->Suspended());
  worker->Signal();
  EXPECT_FALSE(worker->WaitForHandOver(100ms));
  EXPECT_EQ(view_.fetches, 0);

  worker->Resume();
  ASSERT_TRUE(worker->WaitForHandOver(30s));
  worker->ServeHandOver();  // the first request
  worker->Suspend();        // playback starts while it is being made
  // A picture that could not be made is reported instead of delivered; say so.
  ASSERT_TRUE(ServeUntil(*worker, [&] { return view_.deliveries == 1; }))
      << "fetches " << view_.fetches << ", messages: " << ::testing::PrintToString(ui_.MessageTexts());
  EXPECT_FALSE(worker->WaitForHandOver(100ms));
  EXPECT_EQ(view_.fetches, 1);

  worker->Resume();
  ASSERT_TRUE(ServeUntil(*worker, [&] { return cache_.PictureCount() == 2; }));
  EXPECT_EQ(FrameNumberIn(cache_.Bucket(*movie_)->images.back().pixels), 25);
  EXPECT_TRUE(worker->Stop());
}

TEST_F(FrameImageWorkerTest, AFailureIsShownOnceOnTheUserInterfaceThread) {
  CSrc missing(dir_.File("gone.avi"), "gone.avi");
  missing.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  cache_.RegisterSource(missing);
  view_.wanted.push_back({&missing, 0.0});
  auto worker = MakeWorker();
  ASSERT_TRUE(worker->Start(view_, ui_));
  for (int round = 1; round <= 3; ++round) {
    worker->Signal();
    ASSERT_TRUE(ServeUntil(*worker, [&] { return view_.fetches == round; }));
  }
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].caption, "Error -- FrameImage : Open File failed");
  EXPECT_EQ(view_.deliveries, 0);
  EXPECT_TRUE(worker->Stop());
}

TEST_F(FrameImageWorkerTest, AnExceptionEndsTheThreadWithItsMessage) {
  auto worker = MakeWorker(/*throwing=*/true);
  view_.wanted.push_back({movie_.get(), 10.0});
  ASSERT_TRUE(worker->Start(view_, ui_));
  worker->Signal();
  ASSERT_TRUE(ServeUntil(*worker, [&] { return worker->Finished(); }));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Work Thread Exeption");
  EXPECT_EQ(ui_.messages[0].caption, "Exeption");
  EXPECT_EQ(fileInWork_.Current(), "");
  EXPECT_TRUE(worker->Stop());
}

}  // namespace
}  // namespace vantorelle
