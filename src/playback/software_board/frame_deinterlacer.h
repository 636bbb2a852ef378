// Makes whole progressive pictures out of interlaced ones before they are
// scaled, so that the two fields of a frame (taken a field time apart) do
// not show as combs. Pictures that follow one another in a source go
// through libavfilter's bwdif, which uses the frame before to tell still
// from moving parts; the first picture after a jump has no frame before and
// is made from its first field alone. Progressive pictures pass untouched
// and cost nothing: the filter graph is built only for interlaced sources.
#pragma once

#include <cstdint>
#include <memory>

#include "playback/ffmpeg_handles.h"

extern "C" {
#include <libavfilter/avfilter.h>
}

namespace vantorelle {

struct AvFilterGraphDeleter {
  void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
using AvFilterGraphPtr = std::unique_ptr<AVFilterGraph, AvFilterGraphDeleter>;

class FrameDeinterlacer {
 public:
  // The picture to scale: the frame itself when it is progressive, otherwise
  // a deinterlaced picture (of the same size, or the first field alone at
  // half height) valid until the next call; null when it cannot be made.
  const AVFrame* Progressive(const AVFrame& frame);

 private:
  struct GraphKey {
    int width = 0;
    int height = 0;
    int format = -1;
    friend bool operator==(const GraphKey&, const GraphKey&) = default;
  };

  bool Follows(const AVFrame& frame) const;
  bool BuildGraph(const AVFrame& frame);
  // Pushes a frame (as its own copy) into the graph and takes what comes out.
  bool Push(const AVFrame& frame, bool keepOutput);
  const AVFrame* FirstField(const AVFrame& frame);

  AvFilterGraphPtr graph_;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  GraphKey key_;
  std::int64_t nextPts_ = 0;
  std::int64_t lastTimestamp_ = AV_NOPTS_VALUE;
  std::int64_t lastDuration_ = 0;
  AvFramePtr input_;
  AvFramePtr output_;
  AvFramePtr field_;
  const AVFrame* lastMade_ = nullptr;  // for the same frame asked for again
};

}  // namespace vantorelle
