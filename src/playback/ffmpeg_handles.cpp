#include "playback/ffmpeg_handles.h"

#include "playback/software_board/picture_colour.h"
#include "playback/software_board/tone_mapper.h"

namespace vantorelle {

AVPixelFormat WithoutRangeAlias(AVPixelFormat format, bool& fullRange) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: fullRange = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: fullRange = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: fullRange = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: fullRange = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: fullRange = true; return AV_PIX_FMT_YUV411P;
    default: return format;
  }
}

bool ConvertFrameToRgb24(const AVFrame& frame, SwsContextPtr& scaler, std::uint8_t* target) {
  if (frame.width <= 0 || frame.height <= 0 || frame.format < 0) return false;
  // A single picture: its graph lives for this call alone, and only HDR and
  // BT.2020 pictures build one.
  ToneMapper toneMapper;
  const AVFrame* picture = &frame;
  if (ToneMapper::Converts(frame)) {
    if (const AVFrame* sdr = toneMapper.Sdr(frame, frame.width, frame.height)) picture = sdr;
  }
  SwsContext* context = RgbScalerFor(*picture, frame.width, frame.height, AV_PIX_FMT_RGB24, SWS_BICUBIC, scaler);
  if (!context) return false;
  std::uint8_t* planes[4] = {target, nullptr, nullptr, nullptr};
  int strides[4] = {frame.width * 3, 0, 0, 0};
  return sws_scale(context, picture->data, picture->linesize, 0, picture->height, planes, strides) > 0;
}

}  // namespace vantorelle
