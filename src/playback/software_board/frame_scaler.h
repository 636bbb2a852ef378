// Turns a decoded picture of any size into an RGB output picture of the size
// the board shows it at: colours read by the picture's matrix and range, its
// shape kept (fitted with black bars, never stretched), turned as the file
// asks, interlaced pictures deinterlaced first, and HDR or BT.2020 pictures
// brought onto SDR BT.709. Pictures with alpha keep it in the target's alpha
// plane, their bars transparent.
#pragma once

#include <cstdint>
#include <vector>

#include "playback/ffmpeg_handles.h"
#include "playback/software_board/frame_deinterlacer.h"
#include "playback/software_board/picture_colour.h"
#include "playback/software_board/rgb_frame.h"
#include "playback/software_board/tone_mapper.h"
#include "playback/software_board/yuv_frame.h"

namespace vantorelle {

struct ScaleOptions {
  double targetPixelAspect = 1.0;    // displayed width of a target pixel over its height
  double sourcePixelAspect = 0.0;    // the container's, before the frame's own; 0: not known
  std::int32_t rotationDegrees = 0;  // clockwise turn: 0, 90, 180 or 270
};

class FrameScaler {
 public:
  // target keeps its size; false when the picture cannot be converted. Frames of one source should come in showing order,
  // so that deinterlacing can look at the frame before.
  bool Scale(const AVFrame& frame, RgbFrame& target, const ScaleOptions& options = {});
  // The same picture as YUV of width × height: in format, made in one
  // swscale pass from the source's YUV (matrix and range converted on the
  // way), where the source is opaque, unturned and SDR; otherwise made as
  // RGB (with its opacity) and brought into 4:4:4 of format's range and matrix. target is remade
  // when its size or format differs.
  bool ScaleYuv(const AVFrame& frame, const YuvFormat& format, std::int32_t width, std::int32_t height,
                YuvFrame& target, const ScaleOptions& options = {});

 private:
  bool ScaleInto(const AVFrame& frame, std::int32_t width, std::int32_t height, AVPixelFormat format,
                 std::uint8_t* pixels, std::int32_t stride);
  // swscale's fast YUV-to-RGB converters write whole blocks of 16 pixels, past
  // the end of a row whose width is not a multiple of 16: into the bar beside
  // a picture, or past the last row out of the buffer. Such pictures are made
  // in rows_, which has room to spare, and copied into place row by row.
  static constexpr std::int32_t kConverterBlock = 16;
  static constexpr std::size_t kConverterOverrun = 16 * 4;  // bytes a row may be overrun by
  bool ScaleIntoRows(const AVFrame& frame, std::int32_t width, std::int32_t height, std::uint8_t* pixels,
                     std::int32_t stride);
  std::vector<std::uint8_t> rows_;

  SwsContextPtr scaler_;
  // The YUV path's scaler and what it was made for.
  struct YuvScaling {
    std::int32_t sourceWidth = 0;
    std::int32_t sourceHeight = 0;
    PictureColour source;
    std::int32_t width = 0;
    std::int32_t height = 0;
    YuvFormat target;
    friend bool operator==(const YuvScaling&, const YuvScaling&) = default;
  };
  SwsContextPtr yuvScaler_;
  YuvScaling yuvScaling_;
  YuvFrame yuvRows_;     // a picture with bars, before it is put in place
  RgbFrame rgbPicture_;  // pictures the YUV path makes as RGB first
  std::vector<std::uint8_t> turnedRgba_;
  std::vector<std::uint8_t> unturned_;  // scaled, before it is turned or split from its alpha
  FrameDeinterlacer deinterlacer_;
  ToneMapper toneMapper_;
};

}  // namespace vantorelle
