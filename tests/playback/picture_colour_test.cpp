// The RGB scaler that the board, thumbnails and frame images share: it is
// kept from picture to picture of one source, whatever the source's pixel
// format, rather than made again (milliseconds) for every picture.
#include "playback/software_board/picture_colour.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace vantorelle {
namespace {

// What the scaler's brightness is; a made-again scaler has 0.
int BrightnessOf(SwsContext& scaler) {
  int* sourceTable = nullptr;
  int* targetTable = nullptr;
  int sourceRange = 0;
  int targetRange = 0;
  int brightness = 0;
  int contrast = 0;
  int saturation = 0;
  sws_getColorspaceDetails(&scaler, &sourceTable, &sourceRange, &targetTable, &targetRange, &brightness, &contrast,
                           &saturation);
  return brightness;
}

// Marks a scaler by its brightness, keeping the rest of its colour details.
void Mark(SwsContext& scaler, int brightness) {
  int* sourceTable = nullptr;
  int* targetTable = nullptr;
  int sourceRange = 0;
  int targetRange = 0;
  int unused = 0;
  int contrast = 0;
  int saturation = 0;
  sws_getColorspaceDetails(&scaler, &sourceTable, &sourceRange, &targetTable, &targetRange, &unused, &contrast,
                           &saturation);
  sws_setColorspaceDetails(&scaler, sourceTable, sourceRange, targetTable, targetRange, brightness, contrast,
                           saturation);
}

TEST(RgbScalerFor, KeepsItsScalerFromPictureToPictureWhateverTheSourceFormat) {
  constexpr int kMark = 1 << 12;
  for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUV420P10LE, AV_PIX_FMT_RGB24,
                               AV_PIX_FMT_GBRP, AV_PIX_FMT_RGB0, AV_PIX_FMT_GRAY8, AV_PIX_FMT_PAL8}) {
    SCOPED_TRACE(av_get_pix_fmt_name(format));
    AvFramePtr frame(av_frame_alloc());
    frame->width = 640;
    frame->height = 360;
    frame->format = format;
    frame->colorspace = AVCOL_SPC_BT709;
    SwsContextPtr scaler;
    SwsContext* made = RgbScalerFor(*frame, 320, 180, AV_PIX_FMT_RGB24, SWS_BICUBIC, scaler);
    ASSERT_NE(made, nullptr);
    Mark(*made, kMark);
    ASSERT_EQ(BrightnessOf(*made), kMark);
    SwsContext* again = RgbScalerFor(*frame, 320, 180, AV_PIX_FMT_RGB24, SWS_BICUBIC, scaler);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(BrightnessOf(*again), kMark) << "the scaler was made again";
    // Another size is another scaler.
    SwsContext* other = RgbScalerFor(*frame, 160, 90, AV_PIX_FMT_RGB24, SWS_BICUBIC, scaler);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(BrightnessOf(*other), 0);
  }
}

}  // namespace
}  // namespace vantorelle
