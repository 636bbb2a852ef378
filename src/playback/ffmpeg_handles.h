// Owning handles for FFmpeg objects, so every early return frees them.
#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace vantorelle {

struct AvFormatClose {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct AvCodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct AvFrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct AvPacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct SwsContextFree {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};

using AvInputPtr = std::unique_ptr<AVFormatContext, AvFormatClose>;
using AvCodecContextPtr = std::unique_ptr<AVCodecContext, AvCodecContextFree>;
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameFree>;
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketFree>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextFree>;

// swscale wants the full-range ("J") YUV formats named as the plain ones with
// the range given apart.
AVPixelFormat WithoutRangeAlias(AVPixelFormat format, bool& fullRange);

// Converts a decoded picture to packed RGB24 (3 bytes a pixel, rows of
// width × 3 bytes, top to bottom) of the same size, reusing the scaler. Its
// colours are read as the board reads them (see picture_colour.h), HDR and
// BT.2020 pictures brought onto SDR BT.709 first (see tone_mapper.h).
bool ConvertFrameToRgb24(const AVFrame& frame, SwsContextPtr& scaler, std::uint8_t* target);

}  // namespace vantorelle
