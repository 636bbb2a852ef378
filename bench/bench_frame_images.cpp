// Thumbnails of a 10-minute 320×240 MJPEG source, as the track area asks for
// them when the whole source is in view: 400 pictures 1.5 s apart. Measured
// four ways in the same program:
//   Worker        — the work thread making them, the bench thread serving its
//                   hand-overs as the user-interface thread does;
//   ProducerOnly  — the same per-request work (components made and the file
//                   opened for each picture, decode, 64×48 shrink) without the
//                   thread and the hand-over;
//   ComponentOpenOnce — one movie component opened once, decode and shrink;
//   PlainLibav    — a bare decode-and-scale loop: one open file, seek, decode,
//                   libswscale area scaling straight to 64×48 RGB;
// and the shrink of one picture alone.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
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

const std::string& MoviePath() {
  static testing::TempDir dir;
  static const std::string path = [] {
    testing::MovieParams params;
    params.width = kWidth;
    params.height = kHeight;
    params.frameCount = kFrames;
    params.framesPerSecond = kFps;
    const std::string file = dir.File("ten-minutes.avi");
    if (!testing::WriteAvi(file, params)) std::abort();
    return file;
  }();
  return path;
}

std::vector<TimeMs> ThumbnailTimes() {
  std::vector<TimeMs> times;
  const TimeMs step = kFrames / kFps * 1000.0 / kThumbnails;
  for (int i = 0; i < kThumbnails; ++i) times.push_back(i * step + 20.0);
  return times;
}

CSrc& Movie() {
  static CSrc source(MoviePath(), "ten-minutes.avi");
  source.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  return source;
}

class WantedView : public IFrameImageView {
 public:
  WantedView(CFrameImageCache& cache, std::vector<WantedFrameImage> wanted) : cache_(cache), wanted_(std::move(wanted)) {}
  std::optional<FrameRequest> FetchRequest() override {
    auto missing = cache_.FirstMissing(wanted_);
    if (!missing) return std::nullopt;
    return MakeFrameRequest(*missing->source, missing->time);
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

void Thumbnails_Worker(benchmark::State& state) {
  CSrc& movie = Movie();
  std::vector<WantedFrameImage> wanted;
  for (TimeMs t : ThumbnailTimes()) wanted.push_back({&movie, t});
  SilentUi ui;
  for (auto _ : state) {
    CFrameImageCache cache;
    cache.RegisterSource(movie);
    WantedView view(cache, wanted);
    FileInWork fileInWork;
    FrameImageWorker worker(CreateSoftwareBoardFactory(SoftwareBoardFormat{}), fileInWork);
    worker.Start(view, ui);
    worker.Signal();
    while (cache.PictureCount() < static_cast<std::size_t>(kThumbnails)) {
      worker.WaitForHandOver(std::chrono::milliseconds(100));
      worker.ServeHandOver();
    }
    if (!worker.Stop()) std::abort();
  }
  state.SetItemsProcessed(state.iterations() * kThumbnails);
}

void Thumbnails_ProducerOnly(benchmark::State& state) {
  CSrc& movie = Movie();
  auto factory = CreateSoftwareBoardFactory(SoftwareBoardFormat{});
  const std::vector<TimeMs> times = ThumbnailTimes();
  for (auto _ : state) {
    for (TimeMs t : times) {
      FrameRequest request = MakeFrameRequest(movie, t);
      if (!ProduceFrameImage(*factory, request)) std::abort();
      benchmark::DoNotOptimize(request.pixels.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kThumbnails);
}

void Thumbnails_ComponentOpenOnce(benchmark::State& state) {
  PlayMovieComponent movie;
  if (movie.OpenFile(MoviePath()) != KlpOk) std::abort();
  YCrCbImageComponent image;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
  const std::vector<TimeMs> times = ThumbnailTimes();
  for (auto _ : state) {
    for (TimeMs t : times) {
      if (movie.CopyToYCrCbImage(image, t / 1000.0) != KlpOk) std::abort();
      if (image.GetRGBData(rgb.data(), rgb.size()) != KlpOk) std::abort();
      auto thumbnail = ShrinkToFrameImage(rgb.data(), rgb.size(), kWidth, kHeight, kWidth * 3);
      benchmark::DoNotOptimize(thumbnail->data());
    }
  }
  state.SetItemsProcessed(state.iterations() * kThumbnails);
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

void Thumbnails_PlainLibav(benchmark::State& state) {
  PlainThumbnailReader reader(MoviePath());
  const std::vector<TimeMs> times = ThumbnailTimes();
  for (auto _ : state) {
    for (TimeMs t : times) reader.ThumbnailAt(t / 1000.0);
    benchmark::DoNotOptimize(reader.Thumbnail().data());
  }
  state.SetItemsProcessed(state.iterations() * kThumbnails);
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
BENCHMARK(Thumbnails_Worker)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Thumbnails_PlainLibav)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Thumbnails_ProducerOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Thumbnails_ComponentOpenOnce)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Shrink_Only)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
