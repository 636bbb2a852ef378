#include "playback/software_board/frame_deinterlacer.h"

#include <cstdio>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace vantorelle {
namespace {

std::int64_t TimestampOf(const AVFrame& frame) {
  return frame.best_effort_timestamp != AV_NOPTS_VALUE ? frame.best_effort_timestamp : frame.pts;
}

}  // namespace

bool FrameDeinterlacer::Follows(const AVFrame& frame) const {
  const std::int64_t timestamp = TimestampOf(frame);
  if (!graph_ || !(key_ == GraphKey{frame.width, frame.height, frame.format})) return false;
  if (timestamp == AV_NOPTS_VALUE || lastTimestamp_ == AV_NOPTS_VALUE || timestamp <= lastTimestamp_) return false;
  // A frame or two further on (a dropped frame) still has its neighbour.
  return lastDuration_ <= 0 || timestamp - lastTimestamp_ <= 2 * lastDuration_;
}

bool FrameDeinterlacer::BuildGraph(const AVFrame& frame) {
  graph_.reset(avfilter_graph_alloc());
  source_ = nullptr;
  sink_ = nullptr;
  key_ = GraphKey{frame.width, frame.height, frame.format};
  nextPts_ = 0;
  if (!graph_) return false;
  const AVRational aspect = frame.sample_aspect_ratio.num > 0 && frame.sample_aspect_ratio.den > 0
                                ? frame.sample_aspect_ratio
                                : AVRational{1, 1};
  char arguments[160];
  std::snprintf(arguments, sizeof arguments, "video_size=%dx%d:pix_fmt=%d:time_base=1/50:pixel_aspect=%d/%d",
                frame.width, frame.height, frame.format, aspect.num, aspect.den);
  AVFilterContext* deinterlace = nullptr;
  const bool made =
      avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "in", arguments, nullptr,
                                   graph_.get()) >= 0 &&
      avfilter_graph_create_filter(&deinterlace, avfilter_get_by_name("bwdif"), "deinterlace",
                                   "mode=send_frame:parity=auto:deint=all", nullptr, graph_.get()) >= 0 &&
      avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                   graph_.get()) >= 0 &&
      avfilter_link(source_, 0, deinterlace, 0) >= 0 && avfilter_link(deinterlace, 0, sink_, 0) >= 0 &&
      avfilter_graph_config(graph_.get(), nullptr) >= 0;
  if (!made) {
    // A pixel format the filter does not take: such pictures use their
    // first field alone.
    graph_.reset();
    source_ = nullptr;
    sink_ = nullptr;
  }
  return made;
}

bool FrameDeinterlacer::Push(const AVFrame& frame, bool keepOutput) {
  if (!input_) input_.reset(av_frame_alloc());
  if (!output_) output_.reset(av_frame_alloc());
  if (!input_ || !output_ || av_frame_ref(input_.get(), &frame) < 0) return false;
  input_->pts = nextPts_++;
  if (av_buffersrc_add_frame(source_, input_.get()) < 0) {
    av_frame_unref(input_.get());
    return false;
  }
  bool got = false;
  AvFramePtr taken(av_frame_alloc());
  if (!taken) return false;
  while (av_buffersink_get_frame(sink_, taken.get()) >= 0) {
    got = true;
    if (keepOutput) {
      av_frame_unref(output_.get());
      av_frame_move_ref(output_.get(), taken.get());
    } else {
      av_frame_unref(taken.get());
    }
  }
  return got;
}

const AVFrame* FrameDeinterlacer::FirstField(const AVFrame& frame) {
  if (!field_) field_.reset(av_frame_alloc());
  if (!field_) return nullptr;
  av_frame_unref(field_.get());
  if (av_frame_ref(field_.get(), &frame) < 0) return nullptr;
  const bool bottomFirst = !frame.top_field_first;
  for (int plane = 0; plane < AV_NUM_DATA_POINTERS && field_->data[plane]; ++plane) {
    if (bottomFirst) field_->data[plane] += field_->linesize[plane];
    field_->linesize[plane] *= 2;
  }
  field_->height = bottomFirst ? frame.height / 2 : (frame.height + 1) / 2;
  field_->interlaced_frame = 0;
  return field_->height > 0 ? field_.get() : nullptr;
}

const AVFrame* FrameDeinterlacer::Progressive(const AVFrame& frame) {
  if (!frame.interlaced_frame || frame.height < 2) return &frame;
  const std::int64_t timestamp = TimestampOf(frame);
  if (lastMade_ && timestamp != AV_NOPTS_VALUE && timestamp == lastTimestamp_ &&
      key_ == GraphKey{frame.width, frame.height, frame.format}) {
    return lastMade_;
  }
  const AVFrame* made = nullptr;
  if (Follows(frame)) {
    // The graph holds the frame before twice; the first push brings out its
    // copy, the second this frame, with the frame before as its neighbour.
    Push(frame, false);
    if (Push(frame, true)) made = output_.get();
  }
  if (!made) {
    if (BuildGraph(frame)) {
      Push(frame, false);
      Push(frame, false);
    }
    made = FirstField(frame);
  }
  lastTimestamp_ = timestamp;
  lastDuration_ = frame.pkt_duration;
  lastMade_ = made;
  return made;
}

}  // namespace vantorelle
