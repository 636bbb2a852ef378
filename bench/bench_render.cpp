// Rendering a 60 s project to a file as fast as the machine allows: two
// video tracks of 720 × 576 MJPEG clips, four audio tracks, a slide title
// track and a crawl title track, played by the playback engine through the
// software board against a virtual clock. Measured with the output thrown
// away (the board's own work) and encoded to an MJPEG/PCM AVI (what
// "vantorelle-cli render" does). Real time is 25 frames a second.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>
#include <stdexcept>
#include <string>

#include "document/headless_views.h"
#include "document/settings_store.h"
#include "document/vantorelle_doc.h"
#include "model/video_standard_query.h"
#include "playback/media_file_encoder.h"
#include "playback/movie_map.h"
#include "playback/play_engine.h"
#include "playback/play_engine_list.h"
#include "model/file_in_work.h"
#include "playback/frame_image_worker.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/realtime_pump.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace {

using namespace vantorelle;
namespace support = vantorelle::testing;

constexpr TimeMs kProjectLength = 60000.0;
constexpr int kWidth = 720;
constexpr int kHeight = 576;

class NullSink : public IOutputSink {
 public:
  void OnVideoFrame(double, const RgbFrame&) override {}
  void OnAudio(double, const float*, std::size_t) override {}
  void OnEnd() override {}
};

class EncoderSink : public IOutputSink {
 public:
  explicit EncoderSink(MediaFileEncoder& encoder) : encoder_(encoder) {}
  void OnVideoFrame(double, const RgbFrame& frame) override { encoder_.WriteVideoFrame(frame.pixels.data()); }
  void OnAudio(double, const float* samples, std::size_t frames) override { encoder_.WriteAudio(samples, frames); }
  void OnEnd() override {}

 private:
  MediaFileEncoder& encoder_;
};

// The media, written once for every run of the program.
struct Media {
  support::TempDir dir;
  std::string red, blue, tone, slide, crawl;

  Media() {
    support::MovieParams movie;
    movie.width = kWidth;
    movie.height = kHeight;
    movie.frameCount = 250;  // 10 s
    movie.pattern = support::FramePattern::FrameNumbered;
    red = dir.File("red.avi");
    blue = dir.File("blue.avi");
    movie.colour = {220, 30, 30};
    if (!support::WriteAvi(red, movie)) throw std::runtime_error("red.avi");
    movie.colour = {30, 30, 220};
    if (!support::WriteAvi(blue, movie)) throw std::runtime_error("blue.avi");
    support::WavParams wav;
    wav.sampleRate = 48000;
    wav.seconds = kProjectLength / 1000.0;
    tone = dir.File("tone.wav");
    if (!support::WriteWav(tone, wav)) throw std::runtime_error("tone.wav");
    slide = dir.File("slide.png");
    crawl = dir.File("crawl.png");
    if (!support::WriteImage(slide, support::ImageFormat::Png, 200, 100, {250, 250, 0}) ||
        !support::WriteImage(crawl, support::ImageFormat::Png, 360, 60, {250, 250, 250})) {
      throw std::runtime_error("images");
    }
  }
};

Media& SharedMedia() {
  static Media media;
  return media;
}

// One play of the project into the sink, on a virtual clock pumped as fast
// as possible, or in real time on the steady clock; returns the frames made
// (and, in real time, those made late).
struct PlayResult {
  std::int64_t frames = 0;
  std::int64_t late = 0;
};

PlayResult PlayProject(IOutputSink& sink, bool realTime, const std::function<void()>& whileWaiting = {}) {
  const Media& media = SharedMedia();
  const SoftwareBoardFormat format{kWidth, kHeight, 25.0};
  std::shared_ptr<BoardClock> clock;
  if (realTime) clock = std::make_shared<SteadyBoardClock>();
  else clock = std::make_shared<VirtualBoardClock>();
  auto output = std::make_shared<BoardOutput>(format);
  auto factory = CreateSoftwareBoardFactory(format, SoftwareBoardWiring{clock, output});
  // As at the editor's start: the board answered, so playback uses it.
  SetBoardPresent(QueryBoardStandard(*factory));
  support::ScriptedUserInterface ui;
  MemorySettingsStore store;
  HeadlessDocumentViews views;
  CVantorelleDoc doc(DocumentServices{store, true, ui, *factory, nullptr});
  doc.AttachViews(&views);
  doc.timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Audio, 48));
  doc.timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Audio, 48));

  const SourceReadContext context{MediaReadContext{*factory, ui, FrameSizeRule{}}, doc.stillImages, nullptr};
  const auto source = [&](const std::string& path) -> CSrc& {
    auto made = MakeSourceFromFile(context, path);
    if (!made) throw std::runtime_error("source " + path);
    doc.sources.push_back(std::move(made));
    return *doc.sources.back();
  };
  CSrc& red = source(media.red);
  CSrc& blue = source(media.blue);
  CSrc& tone = source(media.tone);
  CSrc& slide = source(media.slide);
  CSrc& crawl = source(media.crawl);
  const auto place = [&](CTrack& track, CSrc& from, TimeMs start, TimeMs duration) {
    auto clip = std::make_unique<CFilm>();
    clip->source = &from;
    clip->name = from.name;
    clip->start = start;
    clip->duration = duration;
    clip->sourceLength = from.duration > 0 ? from.duration : duration;
    clip->flags = from.flags;
    ++from.usageCount;
    track.InsertInOrder(std::move(clip));
  };
  std::vector<CTrack*> video, audio;
  CTrack* slides = nullptr;
  CTrack* crawls = nullptr;
  for (const auto& track : doc.timeline.tracks) {
    if (track->Group() == TrackGroup::Video) video.push_back(track.get());
    if (track->Group() == TrackGroup::Audio) audio.push_back(track.get());
    if (track->Kind() == TrackKind::TitleSlide) slides = track.get();
    if (track->Kind() == TrackKind::TitleMovable) crawls = track.get();
  }
  for (int i = 0; i < 6; ++i) place(*video[0], i % 2 ? blue : red, i * 10000.0, 10000.0);
  for (int i = 0; i < 3; ++i) place(*video[1], blue, 5000.0 + i * 20000.0, 10000.0);
  for (CTrack* track : audio) place(*track, tone, 0.0, kProjectLength);
  slides->regionLeft = 60;
  slides->regionTop = 60;
  slides->regionWidth = 200;
  slides->regionHeight = 100;
  for (int i = 0; i < 12; ++i) place(*slides, slide, i * 5000.0, 2000.0);
  crawls->regionLeft = 0;
  crawls->regionTop = 480;
  crawls->regionWidth = kWidth;
  crawls->regionHeight = 60;
  crawls->maxSpeed = 2.0;
  const TimeMs crawlLength = crawls->DefaultClipDuration(crawl, doc.durations);
  for (TimeMs at = crawls->LeadIn(); at + crawlLength <= kProjectLength; at += crawlLength + 1000.0) {
    place(*crawls, crawl, at, crawlLength);
  }
  doc.times.projectSize = kProjectLength;
  doc.times.rangeStart = 0.0;
  doc.times.rangeStop = kProjectLength;

  CMovieMap map;
  for (const auto& each : doc.sources) FillMovieMap(map, *each, *factory, ui);
  CPlayEngine engine(*factory, ui);
  engine.BuildTitleTasks(doc.timeline.tracks, 0.0);
  const PlayRange range = ComputePlayRange(doc.timeline, doc.times);
  const auto list = BuildPlayList(IncludedTracks(doc.timeline), range.from, range.to, 40.0, map, false);
  if (!list) throw std::runtime_error("no play list");
  output->SetSink(&sink);
  std::unique_ptr<RealtimePump> realtime;
  if (realTime) {
    realtime = std::make_unique<RealtimePump>(*output, *clock);
    realtime->Start();
  }
  if (!engine.Prepare(list->playFrom, list->playTo, *list, list->frameDelta, list->audioTrackKeys) ||
      !engine.Start()) {
    std::string told;
    for (const auto& message : ui.messages) told += " [" + message.caption + ": " + message.text + "]";
    throw std::runtime_error("the play did not start:" + told);
  }
  const auto total = static_cast<std::int64_t>((list->playTo - list->playFrom) / list->frameDelta + 0.5);
  PlayResult result;
  if (realTime) {
    while (engine.PollState() == EngineState::Playing) {
      if (whileWaiting) whileWaiting();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    realtime->Stop();
    result.frames = realtime->FramesMade();
    result.late = realtime->LateFrames();
  } else {
    OfflinePump pump(*output, static_cast<VirtualBoardClock&>(*clock));
    while (result.frames < total && pump.Step()) ++result.frames;
  }
  output->EndPlay();
  engine.Stop();
  output->SetSink(nullptr);
  return result;
}

void Report(benchmark::State& state, std::int64_t frames) {
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["xRealTime"] =
      benchmark::Counter(static_cast<double>(frames) / 25.0, benchmark::Counter::kIsRate);
}

void BM_RenderToNothing(benchmark::State& state) {
  SharedMedia();
  std::int64_t frames = 0;
  for (auto _ : state) {
    NullSink sink;
    frames = PlayProject(sink, false).frames;
  }
  Report(state, frames * static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_RenderToNothing)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_RenderToMjpegAvi(benchmark::State& state) {
  SharedMedia();
  std::int64_t frames = 0;
  for (auto _ : state) {
    std::string error;
    auto encoder = MediaFileEncoder::Open(SharedMedia().dir.File("out.avi"), {}, error);
    if (!encoder) throw std::runtime_error(error);
    EncoderSink sink(*encoder);
    frames = PlayProject(sink, false).frames;
    encoder->Finish();
  }
  Report(state, frames * static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_RenderToMjpegAvi)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Keeps the frame-picture worker making thumbnails of the red movie all
// through the play, as a busy track area would.
class BusyPictureView : public IFrameImageView {
 public:
  explicit BusyPictureView(const CSrc& source) : source_(source) {}
  std::optional<FrameRequest> FetchRequest() override {
    next_ = std::fmod(next_ + 1234.0, 9000.0);
    return MakeFrameRequest(source_, next_);
  }
  bool DeliverResult(FrameRequest&) override {
    ++made_;
    return false;
  }
  int made_ = 0;

 private:
  const CSrc& source_;
  double next_ = 0.0;
};

void BM_RealTimePlaybackWithPictureWorker(benchmark::State& state) {
  const Media& media = SharedMedia();
  const SoftwareBoardFormat format{kWidth, kHeight, 25.0};
  support::ScriptedUserInterface ui;
  StillImageExtensions images;
  auto factory = CreateSoftwareBoardFactory(format);
  const auto red = MakeSourceFromFile(SourceReadContext{MediaReadContext{*factory, ui, FrameSizeRule{}}, images, nullptr},
                                      media.red);
  if (!red) throw std::runtime_error("red source");
  FileInWork fileInWork;
  FrameImageWorker worker(CreateSoftwareBoardFactory(format), fileInWork);
  BusyPictureView view(*red);
  worker.Start(view, ui);
  PlayResult result;
  for (auto _ : state) {
    NullSink sink;
    result = PlayProject(sink, true, [&] {
      worker.Signal();
      worker.ServeHandOver();
    });
  }
  worker.Stop();
  state.counters["frames"] = static_cast<double>(result.frames);
  state.counters["late"] = static_cast<double>(result.late);
  state.counters["dropped"] = static_cast<double>(std::max<std::int64_t>(0, 1500 - result.frames));
  state.counters["thumbnails"] = view.made_;
}
BENCHMARK(BM_RealTimePlaybackWithPictureWorker)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
