// The real-time pump: a play started on the steady clock reaches the sink
// frame by frame while it runs, and the pump stops at once when told.
#include "playback/software_board/realtime_pump.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "document/headless_views.h"
#include "document/vantorelle_doc.h"
#include "model/video_standard_query.h"
#include "playback/movie_map.h"
#include "playback/play_engine.h"
#include "playback/play_engine_list.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

// Keeps the latest picture and counts, safely across the pump's thread.
class CountingSink : public IOutputSink {
 public:
  void OnVideoFrame(double, const RgbFrame& frame) override {
    std::lock_guard lock(mutex_);
    ++frames_;
    last_ = frame;
  }
  void OnAudio(double, const float*, std::size_t count) override {
    std::lock_guard lock(mutex_);
    audioFrames_ += count;
  }
  void OnEnd() override {}
  int Frames() {
    std::lock_guard lock(mutex_);
    return frames_;
  }
  std::size_t AudioFrames() {
    std::lock_guard lock(mutex_);
    return audioFrames_;
  }
  RgbFrame Last() {
    std::lock_guard lock(mutex_);
    return last_;
  }

 private:
  std::mutex mutex_;
  int frames_ = 0;
  std::size_t audioFrames_ = 0;
  RgbFrame last_;
};

TEST(RealtimePumpTest, APlayOnTheSteadyClockReachesTheSinkAsItRuns) {
  testing::VideoStandardScope pal{VideoStandard{}};
  testing::TempDir dir;
  testing::MovieParams params;
  params.width = 720;
  params.height = 576;
  params.frameCount = 50;
  params.pattern = testing::FramePattern::Solid;
  params.colour = {255, 0, 0};
  params.withAudio = true;
  ASSERT_TRUE(testing::WriteAvi(dir.File("red.avi"), params));

  const SoftwareBoardFormat format{720, 576, 25.0};
  auto clock = std::make_shared<SteadyBoardClock>();
  auto output = std::make_shared<BoardOutput>(format);
  auto factory = CreateSoftwareBoardFactory(format, SoftwareBoardWiring{clock, output});
  SetBoardPresent(QueryBoardStandard(*factory));
  testing::ScriptedUserInterface ui;
  MemorySettingsStore store;
  HeadlessDocumentViews views;
  CVantorelleDoc doc(DocumentServices{store, true, ui, *factory, nullptr});
  doc.AttachViews(&views);
  const SourceReadContext context{MediaReadContext{*factory, ui, FrameSizeRule{}}, doc.stillImages, nullptr};
  doc.sources.push_back(MakeSourceFromFile(context, dir.File("red.avi")));
  ASSERT_TRUE(doc.sources.back());
  CSrc& red = *doc.sources.back();
  for (std::size_t track : {0u, 2u}) {
    auto clip = std::make_unique<CFilm>();
    clip->source = &red;
    clip->start = 0.0;
    clip->duration = 2000.0;
    clip->sourceLength = red.duration;
    clip->flags = track == 0 ? SourceFlags::MovieFile | SourceFlags::VideoStream
                             : SourceFlags::MovieFile | SourceFlags::AudioStream;
    doc.timeline.tracks[track]->InsertInOrder(std::move(clip));
  }
  doc.times.rangeStart = 0.0;
  doc.times.rangeStop = 2000.0;
  CMovieMap map;
  ASSERT_TRUE(FillMovieMap(map, red, *factory, ui));
  CPlayEngine engine(*factory, ui);
  ASSERT_TRUE(engine.HasBoard());
  const auto list = BuildPlayList(IncludedTracks(doc.timeline), 0.0, 2000.0, 40.0, map, false);
  ASSERT_TRUE(list);

  CountingSink sink;
  output->SetSink(&sink);
  RealtimePump pump(*output, *clock);
  pump.Start();
  ASSERT_TRUE(engine.Prepare(list->playFrom, list->playTo, *list, list->frameDelta, list->audioTrackKeys));
  ASSERT_TRUE(engine.Start());
  // Generous: the play takes 2 s; a loaded machine may need longer to start.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (sink.Frames() < 10 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_GE(sink.Frames(), 10);
  const RgbFrame last = sink.Last();
  ASSERT_EQ(last.width, 720);
  EXPECT_GT(last.Pixel(360, 288)[0], 200);
  EXPECT_LT(last.Pixel(360, 288)[2], 60);
  EXPECT_GT(sink.AudioFrames(), 0u);
  pump.Stop();
  EXPECT_FALSE(pump.Running());
  const int stoppedAt = sink.Frames();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(sink.Frames(), stoppedAt);
  engine.Stop();
  output->SetSink(nullptr);
  EXPECT_EQ(pump.FramesMade(), stoppedAt);
}

}  // namespace
}  // namespace vantorelle
