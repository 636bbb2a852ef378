// Exact frames of a 1080p H.264 MP4 (2 s GOPs, B-frames), made at start with
// the ffmpeg program:
// - random access through the movie component's decoder against a bare libav
//   loop that seeks to the key frame and decodes to the frame, timed side by
//   side in the same iterations; counter "ratio" = bare time / ours (aim ≥ 0.9);
// - every frame in order through the decoder against `ffmpeg -f null -` on the
//   same file, both with one decoding thread and with the default count
//   (automatic); counter "ratio" = ffmpeg time / ours (aim ≥ 0.9);
// - opening the file through the component (frame table from the MP4 sample
//   tables) and the same stream copied into Matroska (whose frames are read
//   once at open), against libavformat's own open and stream probe.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "playback/ffmpeg_handles.h"
#include "playback/software_board/movie_file_decoder.h"
#include "playback/software_board/play_movie_component.h"
#include "support/temp_dir.h"

namespace {

using namespace vantorelle;
using Clock = std::chrono::steady_clock;

constexpr int kFps = 25;
constexpr int kSeconds = 12;
constexpr int kFrames = kFps * kSeconds;
constexpr int kRandomFrames = 24;

const std::string& MoviePath() {
  static vantorelle::testing::TempDir dir;
  static const std::string path = [] {
    const std::string file = dir.File("exact.mp4");
    const std::string command =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=1920x1080:rate=25 -t " +
        std::to_string(kSeconds) + " -c:v libx264 -preset veryfast -g 50 -bf 3 -pix_fmt yuv420p '" + file + "'";
    if (std::system(command.c_str()) != 0) std::abort();
    return file;
  }();
  return path;
}

const std::string& MatroskaPath() {
  static const std::string path = [] {
    const std::string file = MoviePath().substr(0, MoviePath().size() - 4) + ".mkv";
    const std::string command = "ffmpeg -nostdin -loglevel error -y -i '" + MoviePath() + "' -c copy '" + file + "'";
    if (std::system(command.c_str()) != 0) std::abort();
    return file;
  }();
  return path;
}

std::vector<int> RandomFrames() {
  std::mt19937 random(2026);
  std::vector<int> frames;
  for (int i = 0; i < kRandomFrames; ++i) frames.push_back(static_cast<int>(random() % kFrames));
  return frames;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// What a program using libav directly writes for one exact frame: seek to the
// key frame at or before it, decode forward until its presentation time.
class BareExactSeeker {
 public:
  explicit BareExactSeeker(const std::string& path) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) std::abort();
    input_.reset(raw);
    avformat_find_stream_info(raw, nullptr);
    const AVCodec* decoder = nullptr;
    stream_ = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream_ < 0 || !decoder) std::abort();
    codec_.reset(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(codec_.get(), raw->streams[stream_]->codecpar);
    codec_->thread_type = FF_THREAD_SLICE;  // as the movie component decodes
    if (avcodec_open2(codec_.get(), decoder, nullptr) < 0) std::abort();
    const AVStream& stream = *raw->streams[stream_];
    timeBase_ = stream.time_base;
    start_ = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
    packet_.reset(av_packet_alloc());
    frame_.reset(av_frame_alloc());
  }

  const AVFrame* Frame(int n) {
    const std::int64_t target = start_ + av_rescale_q(n, AVRational{1, kFps}, timeBase_);
    av_seek_frame(input_.get(), stream_, target, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec_.get());
    bool sent = true;
    while (sent) {
      sent = false;
      while (av_read_frame(input_.get(), packet_.get()) >= 0) {
        const bool ours = packet_->stream_index == stream_;
        if (ours) avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (ours) {
          sent = true;
          break;
        }
      }
      if (!sent) avcodec_send_packet(codec_.get(), nullptr);
      while (avcodec_receive_frame(codec_.get(), frame_.get()) == 0) {
        if (frame_->pts >= target) return frame_.get();
        av_frame_unref(frame_.get());
      }
    }
    return nullptr;
  }

 private:
  AvInputPtr input_;
  AvCodecContextPtr codec_;
  AvPacketPtr packet_;
  AvFramePtr frame_;
  int stream_ = -1;
  AVRational timeBase_{1, 1};
  std::int64_t start_ = 0;
};

void RandomExactFrames_ComponentAgainstBareLibav(benchmark::State& state) {
  const std::vector<int> frames = RandomFrames();
  PlayMovieComponent movie;
  if (movie.OpenFile(MoviePath()) != KlpOk) std::abort();
  MovieFileDecoder& decoder = movie.Decoder();
  BareExactSeeker bare(MoviePath());
  double oursS = 0.0;
  double bareS = 0.0;
  for (auto _ : state) {
    // Alternated frame by frame, so drift of the machine's speed hits both.
    for (int frame : frames) {
      Clock::time_point start = Clock::now();
      const AVFrame* picture = decoder.DecodeFrame(decoder.FrameAt((frame + 0.5) / kFps));
      const double ours = SecondsSince(start);
      start = Clock::now();
      const AVFrame* barePicture = bare.Frame(frame);
      const double bareTime = SecondsSince(start);
      if (!picture || !barePicture) std::abort();
      benchmark::DoNotOptimize(picture->data[0]);
      oursS += ours;
      bareS += bareTime;
      state.SetIterationTime(ours);
    }
  }
  state.counters["ours_ms_per_frame"] = 1000.0 * oursS / (state.iterations() * kRandomFrames);
  state.counters["bare_ms_per_frame"] = 1000.0 * bareS / (state.iterations() * kRandomFrames);
  state.counters["ratio"] = bareS / oursS;
}

// state.range(0): decoding threads, 0 for the decoder's own choice.
void SequentialFrames_ComponentAgainstFfmpegProgram(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const std::string ffmpeg = "ffmpeg -nostdin -loglevel error -threads " + std::to_string(threads) + " -i '" +
                             MoviePath() + "' -an -f null -";
  double oursS = 0.0;
  double ffmpegS = 0.0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    PlayMovieComponent movie;
    if (movie.OpenFile(MoviePath()) != KlpOk) std::abort();
    MovieFileDecoder& decoder = movie.Decoder();
    decoder.SetDecodingThreads(threads);
    for (int frame = 0; frame < kFrames; ++frame) {
      const AVFrame* picture = decoder.DecodeFrame(decoder.FrameAt((frame + 0.5) / kFps));
      if (!picture) std::abort();
      benchmark::DoNotOptimize(picture->data[0]);
    }
    const double ours = SecondsSince(start);
    start = Clock::now();
    if (std::system(ffmpeg.c_str()) != 0) std::abort();
    ffmpegS += SecondsSince(start);
    oursS += ours;
    state.SetIterationTime(ours);
  }
  state.counters["ours_fps"] = kFrames * state.iterations() / oursS;
  state.counters["ffmpeg_fps"] = kFrames * state.iterations() / ffmpegS;
  state.counters["ratio"] = ffmpegS / oursS;
}

// state.range(0): 0 the MP4, 1 the Matroska copy.
void OpenMovie_ComponentAgainstProbe(benchmark::State& state) {
  const std::string& path = state.range(0) == 0 ? MoviePath() : MatroskaPath();
  double oursS = 0.0;
  double probeS = 0.0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    {
      PlayMovieComponent movie;
      if (movie.OpenFile(path) != KlpOk) std::abort();
    }
    const double ours = SecondsSince(start);
    start = Clock::now();
    {
      AVFormatContext* raw = nullptr;
      if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) std::abort();
      AvInputPtr input(raw);
      avformat_find_stream_info(raw, nullptr);
    }
    probeS += SecondsSince(start);
    oursS += ours;
    state.SetIterationTime(ours);
  }
  state.counters["ours_ms"] = 1000.0 * oursS / state.iterations();
  state.counters["probe_ms"] = 1000.0 * probeS / state.iterations();
}

BENCHMARK(OpenMovie_ComponentAgainstProbe)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(RandomExactFrames_ComponentAgainstBareLibav)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SequentialFrames_ComponentAgainstFfmpegProgram)
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
