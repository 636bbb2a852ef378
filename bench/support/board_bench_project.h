// The project the playback and render benchmarks play: two video tracks of
// two movies cut in turn, four audio tracks of one tone, a slide title track
// and a crawl title track, played by the playback engine through the software
// board, either as fast as possible on a virtual clock or in real time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/time_base.h"
#include "playback/frame_image_worker.h"
#include "playback/software_board/board_output.h"
#include "playback/software_board/output_sink.h"
#include "playback/software_board/software_board_format.h"
#include "model/src.h"

namespace vantorelle::bench {

struct BenchProjectMedia {
  std::string movieA, movieB;  // at least 2 × cutEvery long
  std::string tone;            // as long as the project
  std::string slide, crawl;    // still pictures for the titles
};

struct BenchProjectPlan {
  SoftwareBoardFormat format;
  TimeMs length = 60000.0;
  // The first track cuts between the movies this often; the second holds
  // clips of the same length that start half-way through the first's.
  TimeMs cutEvery = 10000.0;
  // Each clip starts at a different place in its movie, so every cut seeks.
  bool shiftInPoints = false;
};

struct PlayResult {
  std::int64_t frames = 0;
  std::int64_t late = 0;
};

// whenPrepared is called once the board's lines are made, before the play starts.
PlayResult PlayBenchProject(const BenchProjectMedia& media, const BenchProjectPlan& plan, IOutputSink& sink,
                            bool realTime, const std::function<void()>& whileWaiting = {},
                            const std::function<void(BoardOutput&)>& whenPrepared = {});

// Writes a slide and a crawl picture and a tone of the given length into dir.
void WriteBenchTitlesAndTone(const std::string& dir, TimeMs length, BenchProjectMedia& media);

// Keeps the frame-picture worker making thumbnails of one movie all through
// a play, as a busy track area would.
class BusyPictureView : public IFrameImageView {
 public:
  explicit BusyPictureView(const CSrc& source) : source_(source) {}
  std::optional<FrameRequest> FetchRequest() override;
  bool DeliverResult(FrameRequest&) override;
  int Made() const { return made_; }

 private:
  const CSrc& source_;
  double next_ = 0.0;
  int made_ = 0;
};

class NullSink : public IOutputSink {
 public:
  void OnVideoFrame(double, const RgbFrame&) override {}
  void OnAudio(double, const float*, std::size_t) override {}
  void OnEnd() override {}
};

}  // namespace vantorelle::bench
