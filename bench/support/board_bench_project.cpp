#include "board_bench_project.h"

#include <chrono>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <thread>

#include "document/headless_views.h"
#include "document/settings_store.h"
#include "document/vantorelle_doc.h"
#include "model/video_standard_query.h"
#include "playback/movie_map.h"
#include "playback/play_engine.h"
#include "playback/play_engine_list.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/realtime_pump.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "support/scripted_user_interface.h"
#include "support/test_media_writer.h"

namespace vantorelle::bench {
namespace support = vantorelle::testing;

namespace {

struct Tracks {
  std::vector<CTrack*> video, audio;
  CTrack* slides = nullptr;
  CTrack* crawls = nullptr;
};

Tracks FindTracks(CTimelineData& timeline) {
  Tracks tracks;
  for (const auto& track : timeline.tracks) {
    if (track->Group() == TrackGroup::Video) tracks.video.push_back(track.get());
    if (track->Group() == TrackGroup::Audio) tracks.audio.push_back(track.get());
    if (track->Kind() == TrackKind::TitleSlide) tracks.slides = track.get();
    if (track->Kind() == TrackKind::TitleMovable) tracks.crawls = track.get();
  }
  return tracks;
}

void Place(CTrack& track, CSrc& from, TimeMs start, TimeMs duration, TimeMs inPoint = 0.0) {
  auto clip = std::make_unique<CFilm>();
  clip->source = &from;
  clip->name = from.name;
  clip->start = start;
  clip->inPoint = inPoint;
  clip->duration = duration;
  clip->sourceLength = from.duration > 0 ? from.duration : duration;
  clip->flags = from.flags;
  ++from.usageCount;
  track.InsertInOrder(std::move(clip));
}

// An in point for clip i that differs from its neighbours' and leaves room
// for the clip in its movie.
TimeMs InPointFor(int i, const CSrc& source, TimeMs clipLength, double frameDelta) {
  const TimeMs room = source.duration - clipLength;
  if (room <= 0.0) return 0.0;
  const TimeMs place = std::fmod(i * 3130.0, room);
  return std::floor(place / frameDelta) * frameDelta;
}

}  // namespace

PlayResult PlayBenchProject(const BenchProjectMedia& media, const BenchProjectPlan& plan, IOutputSink& sink,
                            bool realTime, const std::function<void()>& whileWaiting,
                            const std::function<void(BoardOutput&)>& whenPrepared) {
  const SoftwareBoardFormat& format = plan.format;
  std::shared_ptr<BoardClock> clock;
  if (realTime) clock = std::make_shared<SteadyBoardClock>();
  else clock = std::make_shared<VirtualBoardClock>();
  auto output = std::make_shared<BoardOutput>(format);
  auto factory = CreateSoftwareBoardFactory(format, SoftwareBoardWiring{clock, output});
  // As at the editor's start: the board answered, so playback uses it.
  SetBoardPresent(QueryBoardStandard(*factory));
  const double frameDelta = CurrentVideoStandard().FrameDelta;
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
  CSrc& movieA = source(media.movieA);
  CSrc& movieB = source(media.movieB);
  CSrc& tone = source(media.tone);
  CSrc& slide = source(media.slide);
  CSrc& crawl = source(media.crawl);

  Tracks tracks = FindTracks(doc.timeline);
  const TimeMs cut = plan.cutEvery;
  const auto inPoint = [&](int i, const CSrc& from) {
    return plan.shiftInPoints ? InPointFor(i, from, cut, frameDelta) : 0.0;
  };
  for (int i = 0; (i + 1) * cut <= plan.length + 0.5; ++i) {
    CSrc& from = i % 2 ? movieB : movieA;
    Place(*tracks.video[0], from, i * cut, cut, inPoint(i, from));
  }
  for (int i = 0; cut / 2 + (2 * i + 1) * cut <= plan.length + 0.5; ++i) {
    Place(*tracks.video[1], movieB, cut / 2 + 2 * i * cut, cut, inPoint(i + 7, movieB));
  }
  for (CTrack* track : tracks.audio) Place(*track, tone, 0.0, plan.length);
  tracks.slides->regionLeft = 60;
  tracks.slides->regionTop = 60;
  tracks.slides->regionWidth = 200;
  tracks.slides->regionHeight = 100;
  for (int i = 0; i * 5000.0 + 2000.0 <= plan.length; ++i) Place(*tracks.slides, slide, i * 5000.0, 2000.0);
  tracks.crawls->regionLeft = 0;
  tracks.crawls->regionTop = format.height - 96;
  tracks.crawls->regionWidth = format.width;
  tracks.crawls->regionHeight = 60;
  tracks.crawls->maxSpeed = 2.0;
  const TimeMs crawlLength = tracks.crawls->DefaultClipDuration(crawl, doc.durations);
  for (TimeMs at = tracks.crawls->LeadIn(); at + crawlLength <= plan.length; at += crawlLength + 1000.0) {
    Place(*tracks.crawls, crawl, at, crawlLength);
  }
  doc.times.projectSize = plan.length;
  doc.times.rangeStart = 0.0;
  doc.times.rangeStop = plan.length;

  CMovieMap map;
  for (const auto& each : doc.sources) FillMovieMap(map, *each, *factory, ui);
  CPlayEngine engine(*factory, ui);
  engine.BuildTitleTasks(doc.timeline.tracks, 0.0);
  const PlayRange range = ComputePlayRange(doc.timeline, doc.times);
  const auto list = BuildPlayList(IncludedTracks(doc.timeline), range.from, range.to, frameDelta, map, false);
  if (!list) throw std::runtime_error("no play list");
  output->SetSink(&sink);
  std::unique_ptr<RealtimePump> realtime;
  if (realTime) {
    realtime = std::make_unique<RealtimePump>(*output, *clock);
    realtime->Start();
  }
  const bool prepared = engine.Prepare(list->playFrom, list->playTo, *list, list->frameDelta, list->audioTrackKeys);
  if (prepared && whenPrepared) whenPrepared(*output);
  if (!prepared || !engine.Start()) {
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

void WriteBenchTitlesAndTone(const std::string& dir, TimeMs length, BenchProjectMedia& media) {
  support::WavParams wav;
  wav.sampleRate = 48000;
  wav.seconds = length / 1000.0;
  media.tone = dir + "/tone.wav";
  if (!support::WriteWav(media.tone, wav)) throw std::runtime_error("tone.wav");
  media.slide = dir + "/slide.png";
  media.crawl = dir + "/crawl.png";
  if (!support::WriteImage(media.slide, support::ImageFormat::Png, 200, 100, {250, 250, 0}) ||
      !support::WriteImage(media.crawl, support::ImageFormat::Png, 360, 60, {250, 250, 250})) {
    throw std::runtime_error("title pictures");
  }
}

std::optional<FrameRequest> BusyPictureView::FetchRequest() {
  next_ = std::fmod(next_ + 1234.0, std::max(1.0, source_.duration - 1000.0));
  return MakeFrameRequest(source_, next_);
}

bool BusyPictureView::DeliverResult(FrameRequest&) {
  ++made_;
  return false;
}

}  // namespace vantorelle::bench
