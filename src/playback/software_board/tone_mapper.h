// Brings pictures whose light is not our output's onto it before they are
// scaled. The board shows SDR BT.709: a picture with a PQ or HLG transfer
// (HDR, BT.2020 primaries, 10 bits and more) read as if it were BT.709
// looks dark, grey and washed out, and one with BT.2020 primaries looks
// pale. Such pictures go through a libavfilter graph (zimg's zscale to
// linear light in BT.709 primaries, tonemap for HDR, back to BT.709's
// curve) that makes full-range planar RGB; every other picture keeps the
// plain swscale path and costs nothing here: the graph is built only when
// such a picture comes.
#pragma once

#include <cstdint>

#include "playback/ffmpeg_handles.h"
#include "playback/software_board/frame_deinterlacer.h"

namespace vantorelle {

class ToneMapper {
 public:
  // Whether the picture's transfer or primaries are not BT.709's SDR ones:
  // PQ, HLG, or BT.2020 primaries.
  static bool Converts(const AVFrame& frame);

  // The picture as SDR BT.709 full-range planar RGB (AV_PIX_FMT_GBRP),
  // scaled to width × height, valid until the next call; null when it cannot
  // be made.
  const AVFrame* Sdr(const AVFrame& frame, std::int32_t width, std::int32_t height);

 private:
  struct GraphKey {
    int width = 0;
    int height = 0;
    int format = -1;
    int transfer = 0;
    int primaries = 0;
    int matrix = 0;
    int range = 0;
    std::int32_t targetWidth = 0;
    std::int32_t targetHeight = 0;
    friend bool operator==(const GraphKey&, const GraphKey&) = default;
  };
  static GraphKey KeyOf(const AVFrame& frame, std::int32_t width, std::int32_t height);

  bool BuildGraph(const AVFrame& frame, std::int32_t width, std::int32_t height);

  AvFilterGraphPtr graph_;
  AVFilterContext* source_ = nullptr;
  AVFilterContext* sink_ = nullptr;
  GraphKey key_;
  bool failed_ = false;  // the graph for key_ could not be built: do not retry every frame
  std::int64_t nextPts_ = 0;
  AvFramePtr input_;
  AvFramePtr output_;
};

}  // namespace vantorelle
