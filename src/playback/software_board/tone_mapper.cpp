#include "playback/software_board/tone_mapper.h"

#include <cstdio>
#include <string>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

namespace vantorelle {
namespace {

bool IsHdr(int transfer) { return transfer == AVCOL_TRC_SMPTE2084 || transfer == AVCOL_TRC_ARIB_STD_B67; }

// In the transfer and primaries lists 0 and 3 are reserved and 2 is
// "unspecified"; in the matrix list 2 and 3 are.
bool Named(int tag) { return tag > 0 && tag != 2 && tag != 3; }

struct Reading {
  int transfer;
  int primaries;
  int matrix;
  bool fullRange;
};

// How zscale is to read the picture. HDR and BT.2020 pictures that leave a
// tag out are read as BT.2020 material mostly is: BT.2020 primaries and
// non-constant-luminance matrix, limited range, and (for SDR) BT.709's curve.
// Pictures in an RGB pixel format zscale reads as full-range RGB itself.
Reading ReadingOf(const AVFrame& frame) {
  Reading reading;
  reading.transfer = Named(frame.color_trc) ? frame.color_trc : AVCOL_TRC_BT709;
  reading.primaries = Named(frame.color_primaries) ? frame.color_primaries : AVCOL_PRI_BT2020;
  reading.matrix = Named(frame.colorspace) ? frame.colorspace : AVCOL_SPC_BT2020_NCL;
  bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
  WithoutRangeAlias(static_cast<AVPixelFormat>(frame.format), fullRange);
  reading.fullRange = fullRange;
  return reading;
}

// zscale takes the H.273 codes that FFmpeg's tags are. The first zscale
// also scales: it is the cheapest place, before the pictures are floating
// point.
std::string GraphText(const Reading& reading, std::int32_t width, std::int32_t height) {
  char input[160];
  std::snprintf(input, sizeof input, "w=%d:h=%d:filter=bicubic:tin=%d:pin=%d:min=%d:rin=%s", width, height,
                reading.transfer, reading.primaries, reading.matrix, reading.fullRange ? "full" : "limited");
  if (!IsHdr(reading.transfer)) {
    // Only the primaries differ: zimg goes through linear light itself.
    return std::string("zscale=") + input + ":t=709:p=709,format=gbrp";
  }
  // Linear light with 100 cd/m² as 1.0, in BT.709 primaries; tonemap's
  // mobius curve keeps light up to about SDR white nearly as it is and rolls
  // off the highlights up to the picture's peak (its mastering metadata,
  // else 1000 cd/m²); desat=0 keeps bright colours their colour.
  return std::string("zscale=") + input +
         ":t=linear:npl=100:p=709,format=gbrpf32le,tonemap=mobius:desat=0,zscale=t=709,format=gbrp";
}

}  // namespace

bool ToneMapper::Converts(const AVFrame& frame) {
  return IsHdr(frame.color_trc) || frame.color_primaries == AVCOL_PRI_BT2020;
}

ToneMapper::GraphKey ToneMapper::KeyOf(const AVFrame& frame, std::int32_t width, std::int32_t height) {
  return GraphKey{frame.width,      frame.height,      frame.format, frame.color_trc, frame.color_primaries,
                  frame.colorspace, frame.color_range, width,        height};
}

bool ToneMapper::BuildGraph(const AVFrame& frame, std::int32_t width, std::int32_t height) {
  graph_.reset(avfilter_graph_alloc());
  source_ = nullptr;
  sink_ = nullptr;
  key_ = KeyOf(frame, width, height);
  nextPts_ = 0;
  if (!graph_) return false;
  const AVRational aspect = frame.sample_aspect_ratio.num > 0 && frame.sample_aspect_ratio.den > 0
                                ? frame.sample_aspect_ratio
                                : AVRational{1, 1};
  char arguments[160];
  std::snprintf(arguments, sizeof arguments, "video_size=%dx%d:pix_fmt=%d:time_base=1/25:pixel_aspect=%d/%d",
                frame.width, frame.height, frame.format, aspect.num, aspect.den);
  const std::string text = GraphText(ReadingOf(frame), width, height);
  AVFilterInOut* inputs = nullptr;
  AVFilterInOut* outputs = nullptr;
  bool made = avfilter_graph_create_filter(&source_, avfilter_get_by_name("buffer"), "in", arguments, nullptr,
                                           graph_.get()) >= 0 &&
              avfilter_graph_create_filter(&sink_, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                           graph_.get()) >= 0;
  if (made) {
    // The parsed chain's open input is fed by the source, its open output feeds the sink.
    outputs = avfilter_inout_alloc();
    inputs = avfilter_inout_alloc();
    made = outputs && inputs;
    if (made) {
      outputs->name = av_strdup("in");
      outputs->filter_ctx = source_;
      inputs->name = av_strdup("out");
      inputs->filter_ctx = sink_;
      made = outputs->name && inputs->name &&
             avfilter_graph_parse_ptr(graph_.get(), text.c_str(), &inputs, &outputs, nullptr) >= 0 &&
             avfilter_graph_config(graph_.get(), nullptr) >= 0;
    }
  }
  avfilter_inout_free(&inputs);
  avfilter_inout_free(&outputs);
  if (!made) {
    graph_.reset();
    source_ = nullptr;
    sink_ = nullptr;
  }
  return made;
}

const AVFrame* ToneMapper::Sdr(const AVFrame& frame, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return nullptr;
  if (!(key_ == KeyOf(frame, width, height))) failed_ = !BuildGraph(frame, width, height);
  if (failed_) return nullptr;
  if (!input_) input_.reset(av_frame_alloc());
  if (!output_) output_.reset(av_frame_alloc());
  if (!input_ || !output_) return nullptr;
  av_frame_unref(input_.get());
  if (av_frame_ref(input_.get(), &frame) < 0) return nullptr;
  input_->pts = nextPts_++;
  // One picture in, one out: the graph holds no frames back.
  if (av_buffersrc_add_frame(source_, input_.get()) < 0) {
    av_frame_unref(input_.get());
    return nullptr;
  }
  av_frame_unref(output_.get());
  if (av_buffersink_get_frame(sink_, output_.get()) < 0) return nullptr;
  output_->color_range = AVCOL_RANGE_JPEG;
  output_->color_trc = AVCOL_TRC_BT709;
  output_->color_primaries = AVCOL_PRI_BT709;
  output_->colorspace = AVCOL_SPC_RGB;
  return output_.get();
}

}  // namespace vantorelle
