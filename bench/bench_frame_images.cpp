// Thumbnails of two sources: a 10-minute 320×240 MJPEG AVI, as the track area
// asks for them when the whole source is in view (400 pictures 1.5 s apart),
// and a 20-second 1080p H.264 MP4 with 2-second GOPs and B-frames (made with
// the ffmpeg program at the start), at 40 random times at least two frames
// apart. Measured five ways in the same program:
//   Worker        — the work thread making them with the movies it keeps
//                   open, the bench thread serving its hand-overs as the
//                   user-interface thread does;
//   ProducerOnly  — the per-request work with components made and the file
//                   opened for each picture, without the thread and the
//                   hand-over (how the worker made pictures before);
//   ProducerKept  — the same with the movies kept open as the worker keeps
//                   them;
//   ComponentOpenOnce — one movie component opened once, decode and shrink;
//   PlainLibav    — a bare decode-and-scale loop: one open file, seek, decode,
//                   libswscale area scaling straight to 64×48 RGB;
// and the shrink of one picture alone. The Ratio benchmarks run the worker and
// the bare loop in turn on the same file and report bare time / worker time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "model/file_in_work.h"
#include "playback/ffmpeg_handles.h"
#include "playback/frame_image_cache.h"
#include "playback/frame_image_producer.h"
#include "playback/frame_image_shrink.h"
#include "playback/frame_image_worker.h"
#include "playback/software_board/play_movie_component.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/software_board/ycrcb_image_component.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

using namespace vantorelle;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr double kFps = 25.0;
constexpr int kFrames = 10 * 60 * 25;
constexpr int kThumbnails = 400;
constexpr double kLongGopSeconds = 20.0;
constexpr int kLongGopThumbnails = 40;

testing::TempDir& MediaDir() {
  static testing::TempDir dir;
  return dir;
}

const std::string& MjpegPath() {
  static const std::string path = [] {
    testing::MovieParams params;
    params.width = kWidth;
    params.height = kHeight;
    params.frameCount = kFrames;
    params.framesPerSecond = kFps;
    const std::string file = MediaDir().File("ten-minutes.avi");
    if (!testing::WriteAvi(file, params)) std::abort();
    return file;
  }();
  return path;
}

// 1080p H.264 as cameras and phones write it: a key frame every 2 s, B-frames.
const std::string& H264Path() {
  static const std::string path = [] {
    const std::string file = MediaDir().File("twenty-seconds.mp4");
    const std::string command =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1920x1080:rate=25 -t " +
        std::to_string(kLongGopSeconds) +
        " -c:v libx264 -preset veryfast -g 50 -bf 2 -pix_fmt yuv420p '" + file + "'";
    if (std::system(command.c_str()) != 0) std::abort();
    return file;
  }();
  return path;
}

struct BenchFile {
  const std::string& path;
  std::vector<TimeMs> times;
};

std::vector<TimeMs> EvenTimes() {
  std::vector<TimeMs> times;
  const TimeMs step = kFrames / kFps * 1000.0 / kThumbnails;
  for (int i = 0; i < kThumbnails; ++i) times.push_back(i * step + 20.0);
  return times;
}

// Frames in a random order, at least two apart: the cache takes a picture for
// its neighbours.
std::vector<TimeMs> RandomTimes() {
  std::vector<int> frames(static_cast<std::size_t>(kLongGopSeconds * kFps / 2));
  for (std::size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<int>(2 * i);
  std::shuffle(frames.begin(), frames.end(), std::mt19937(20));
  std::vector<TimeMs> times;
  for (int i = 0; i < kLongGopThumbnails; ++i) times.push_back(frames[i] * 1000.0 / kFps + 20.0);
  return times;
}

// Each file is made on first use only: a run of the MJPEG cases alone does
// not wait for the H.264 encode.
const BenchFile& FileOf(int which) {
  if (which == 0) {
    static const BenchFile mjpeg{MjpegPath(), EvenTimes()};
    return mjpeg;
  }
  static const BenchFile h264{H264Path(), RandomTimes()};
  return h264;
}

const char* LabelOf(int which) { return which == 0 ? "MJPEG AVI 320x240" : "H.264 MP4 1080p"; }

CSrc& Movie(int which) {
  const auto flagged = [](CSrc& source) -> CSrc& {
    source.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
    return source;
  };
  if (which == 0) {
    static CSrc mjpeg(MjpegPath(), "ten-minutes.avi");
    return flagged(mjpeg);
  }
  static CSrc h264(H264Path(), "twenty-seconds.mp4");
  return flagged(h264);
}

class WantedView : public IFrameImageView {
 public:
  WantedView(CFrameImageCache& cache, std::vector<WantedFrameImage> wanted) : cache_(cache), wanted_(std::move(wanted)) {}
  std::optional<FrameRequest> FetchRequest() override {
    auto missing = cache_.FirstMissing(wanted_);
    if (!missing) return std::nullopt;
    return MakeFrameRequest(*missing->source, missing->time);
  }
  std::optional<FrameRequest> FetchRequestAfter(const FrameRequest& underWay) override {
    auto missing = cache_.FirstMissing(wanted_, {underWay.source, underWay.time});
    if (!missing) return std::nullopt;
    return MakeFrameRequest(*missing->source, missing->time);
  }
  // As the track area answers it.
  std::vector<FrameRequest> FetchRequestsAfter(const std::vector<FrameRequest>& underWay, std::size_t most) override {
    std::vector<WantedFrameImage> coming;
    for (const FrameRequest& request : underWay) coming.push_back({request.source, request.time});
    std::vector<FrameRequest> next;
    for (const WantedFrameImage& missing : cache_.Missing(wanted_, coming, most)) {
      next.push_back(MakeFrameRequest(*missing.source, missing.time));
    }
    return next;
  }
  bool DeliverResult(FrameRequest& request) override {
    cache_.Store(std::move(request));
    return true;
  }

 private:
  CFrameImageCache& cache_;
  std::vector<WantedFrameImage> wanted_;
};

class SilentUi : public IUserInterface {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string&, MessageIcon, MessageButtons) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::abort();
  }
  std::optional<std::string> AskOpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFileName(const FileDialogRequest&) override { return std::nullopt; }
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest&) override { return {}; }
};

// All pictures of one file through the work thread, a fresh thread, cache
// and kept movies each time; what passed between the threads.
FrameImageHandOverCounts MakeThroughWorker(int which) {
  CSrc& movie = Movie(which);
  const BenchFile& file = FileOf(which);
  std::vector<WantedFrameImage> wanted;
  for (TimeMs t : file.times) wanted.push_back({&movie, t});
  SilentUi ui;
  CFrameImageCache cache;
  cache.RegisterSource(movie);
  WantedView view(cache, wanted);
  FileInWork fileInWork;
  FrameImageWorker worker(CreateSoftwareBoardFactory(SoftwareBoardFormat{}), fileInWork);
  worker.Start(view, ui);
  worker.Signal();
  while (cache.PictureCount() < file.times.size()) {
    worker.WaitForHandOver(std::chrono::milliseconds(100));
    worker.ServeHandOver();
  }
  const FrameImageHandOverCounts counts = worker.HandOverCounts();
  if (!worker.Stop()) std::abort();
  return counts;
}

void Thumbnails_Worker(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  FileOf(which);
  for (auto _ : state) MakeThroughWorker(which);
  state.SetLabel(LabelOf(which));
  state.SetItemsProcessed(state.iterations() * FileOf(which).times.size());
}

void Thumbnails_ProducerOnly(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  CSrc& movie = Movie(which);
  auto factory = CreateSoftwareBoardFactory(SoftwareBoardFormat{});
  const std::vector<TimeMs>& times = FileOf(which).times;
  for (auto _ : state) {
    for (TimeMs t : times) {
      FrameRequest request = MakeFrameRequest(movie, t);
      if (!ProduceFrameImage(*factory, request)) std::abort();
      benchmark::DoNotOptimize(request.pixels.data());
    }
  }
  state.SetLabel(LabelOf(which));
  state.SetItemsProcessed(state.iterations() * times.size());
}

// The per-request work with the movies kept open as the worker keeps them,
// without the thread and the hand-over.
void Thumbnails_ProducerKept(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  CSrc& movie = Movie(which);
  auto factory = CreateSoftwareBoardFactory(SoftwareBoardFormat{});
  const std::vector<TimeMs>& times = FileOf(which).times;
  for (auto _ : state) {
    FrameImageComponents kept;
    for (TimeMs t : times) {
      FrameRequest request = MakeFrameRequest(movie, t);
      if (!ProduceFrameImage(*factory, request, kept)) std::abort();
      benchmark::DoNotOptimize(request.pixels.data());
    }
  }
  state.SetLabel(LabelOf(which));
  state.SetItemsProcessed(state.iterations() * times.size());
}

void Thumbnails_ComponentOpenOnce(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const BenchFile& file = FileOf(which);
  PlayMovieComponent movie;
  if (movie.OpenFile(file.path) != KlpOk) std::abort();
  const int width = movie.Decoder().Facts().width;
  const int height = movie.Decoder().Facts().height;
  YCrCbImageComponent image;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  for (auto _ : state) {
    for (TimeMs t : file.times) {
      if (movie.CopyToYCrCbImage(image, t / 1000.0) != KlpOk) std::abort();
      if (image.GetRGBData(rgb.data(), rgb.size()) != KlpOk) std::abort();
      auto thumbnail = ShrinkToFrameImage(rgb.data(), rgb.size(), width, height, width * 3);
      benchmark::DoNotOptimize(thumbnail->data());
    }
  }
  state.SetLabel(LabelOf(which));
  state.SetItemsProcessed(state.iterations() * file.times.size());
}

// What any program using libav directly would write for the same pictures.
class PlainThumbnailReader {
 public:
  explicit PlainThumbnailReader(const std::string& path) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) std::abort();
    input_.reset(raw);
    avformat_find_stream_info(raw, nullptr);
    const AVCodec* decoder = nullptr;
    stream_ = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream_ < 0 || !decoder) std::abort();
    codec_.reset(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(codec_.get(), raw->streams[stream_]->codecpar);
    if (avcodec_open2(codec_.get(), decoder, nullptr) < 0) std::abort();
    timeBase_ = raw->streams[stream_]->time_base;
    packet_.reset(av_packet_alloc());
    frame_.reset(av_frame_alloc());
    thumbnail_.resize(static_cast<std::size_t>(kFrameImageWidth) * kFrameImageHeight * 3);
  }

  void ThumbnailAt(double seconds) {
    const std::int64_t target = static_cast<std::int64_t>(seconds * kFps);
    const std::int64_t timestamp = av_rescale_q(target, AVRational{1, static_cast<int>(kFps)}, timeBase_);
    av_seek_frame(input_.get(), stream_, timestamp, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec_.get());
    while (av_read_frame(input_.get(), packet_.get()) >= 0) {
      if (packet_->stream_index != stream_) {
        av_packet_unref(packet_.get());
        continue;
      }
      avcodec_send_packet(codec_.get(), packet_.get());
      av_packet_unref(packet_.get());
      while (avcodec_receive_frame(codec_.get(), frame_.get()) == 0) {
        if (frame_->best_effort_timestamp >= timestamp) {
          Scale();
          av_frame_unref(frame_.get());
          return;
        }
        av_frame_unref(frame_.get());
      }
    }
  }

  const std::vector<std::uint8_t>& Thumbnail() const { return thumbnail_; }

 private:
  void Scale() {
    scaler_.reset(sws_getCachedContext(scaler_.release(), frame_->width, frame_->height,
                                       static_cast<AVPixelFormat>(frame_->format), kFrameImageWidth,
                                       kFrameImageHeight, AV_PIX_FMT_RGB24, SWS_AREA, nullptr, nullptr, nullptr));
    std::uint8_t* planes[1] = {thumbnail_.data()};
    int strides[1] = {kFrameImageWidth * 3};
    sws_scale(scaler_.get(), frame_->data, frame_->linesize, 0, frame_->height, planes, strides);
  }

  AvInputPtr input_;
  AvCodecContextPtr codec_;
  AvPacketPtr packet_;
  AvFramePtr frame_;
  SwsContextPtr scaler_;
  int stream_ = -1;
  AVRational timeBase_{1, 25};
  std::vector<std::uint8_t> thumbnail_;
};

void MakeThroughPlainLibav(int which) {
  const BenchFile& file = FileOf(which);
  PlainThumbnailReader reader(file.path);
  for (TimeMs t : file.times) reader.ThumbnailAt(t / 1000.0);
  benchmark::DoNotOptimize(reader.Thumbnail().data());
}

void Thumbnails_PlainLibav(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  FileOf(which);
  for (auto _ : state) MakeThroughPlainLibav(which);
  state.SetLabel(LabelOf(which));
  state.SetItemsProcessed(state.iterations() * FileOf(which).times.size());
}

// The worker and the bare loop in turn on the same file, each opening the
// file once a round, the bare loop first in every other round so that a
// change of the machine's load between the two halves of a round evens out:
// ratio = bare time / worker time (1 is as fast), over all rounds and the
// median of the rounds'.
void Thumbnails_Ratio(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const std::size_t pictures = FileOf(which).times.size();
  using Clock = std::chrono::steady_clock;
  std::chrono::duration<double> workerTime{0};
  std::chrono::duration<double> plainTime{0};
  std::vector<double> roundRatios;
  FrameImageHandOverCounts counts;
  for (auto _ : state) {
    const bool bareFirst = roundRatios.size() % 2 == 1;
    std::chrono::duration<double> bare{0};
    if (bareFirst) {
      const auto start = Clock::now();
      MakeThroughPlainLibav(which);
      bare = Clock::now() - start;
    }
    const auto start = Clock::now();
    const FrameImageHandOverCounts round = MakeThroughWorker(which);
    const std::chrono::duration<double> worker = Clock::now() - start;
    if (!bareFirst) {
      const auto bareStart = Clock::now();
      MakeThroughPlainLibav(which);
      bare = Clock::now() - bareStart;
    }
    counts.wakeUps += round.wakeUps;
    counts.roundTrips += round.roundTrips;
    counts.withdrawn += round.withdrawn;
    counts.waited += round.waited;
    workerTime += worker;
    plainTime += bare;
    roundRatios.push_back(bare / worker);
  }
  // The machine's load changes from round to round: the middle round's ratio
  // is less swayed by it than the totals.
  std::sort(roundRatios.begin(), roundRatios.end());
  state.counters["ratio_median"] = roundRatios[roundRatios.size() / 2];
  const double rounds = static_cast<double>(state.iterations());
  state.counters["worker_per_s"] = rounds * pictures / workerTime.count();
  state.counters["bare_per_s"] = rounds * pictures / plainTime.count();
  state.counters["ratio"] = plainTime.count() / workerTime.count();
  // Where the worker's time beyond the pictures goes: wake-ups of the serving
  // thread and round trips per picture, ask-aheads withdrawn, and the
  // worker's time waiting on the serving thread per picture.
  const double made = rounds * pictures;
  state.counters["wakeups_per_picture"] = counts.wakeUps / made;
  state.counters["trips_per_picture"] = counts.roundTrips / made;
  state.counters["withdrawn"] = counts.withdrawn / rounds;
  state.counters["waited_us_per_picture"] = std::chrono::duration<double, std::micro>(counts.waited).count() / made;
  state.SetLabel(LabelOf(which));
}

// The 64×48 area-averaging shrink of one decoded 320×240 picture alone.
void Shrink_Only(benchmark::State& state) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7);
  for (auto _ : state) {
    auto thumbnail = ShrinkToFrameImage(rgb.data(), rgb.size(), kWidth, kHeight, kWidth * 3);
    benchmark::DoNotOptimize(thumbnail->data());
  }
  state.SetItemsProcessed(state.iterations());
}

// Alternated, so that drift of the machine's speed hits all sides alike.
// Argument 0: the MJPEG AVI; 1: the H.264 MP4.
// The MJPEG rounds are short: fifteen of them give a steady median.
BENCHMARK(Thumbnails_Ratio)->Arg(0)->Iterations(15)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Thumbnails_Ratio)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Thumbnails_Worker)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Thumbnails_PlainLibav)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Thumbnails_ProducerOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Thumbnails_ProducerKept)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Thumbnails_ComponentOpenOnce)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Shrink_Only)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
