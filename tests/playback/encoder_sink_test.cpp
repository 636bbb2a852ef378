// The encoder sink: YUV pictures from the board reach the file from the
// sink's own thread in their order and colours (taken as they are when they
// are what the codec takes, converted once when not), and a failed write
// stops it without blocking the board.
#include "playback/encoder_sink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/software_board/yuv_compose.h"
#include "support/media_file_reader.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A frame of one colour in a YUV format.
YuvFrame SolidYuv(const YuvFormat& format, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const std::uint8_t rgb[3] = {r, g, b};
  YuvFrame pixel;
  RgbToYuv444(rgb, 1, 1, 3, format, pixel);
  YuvFrame frame(kWidth, kHeight, format);
  for (int p = 0; p < 3; ++p) {
    const std::uint8_t value = pixel.Row(p, 0)[0];
    const int rows = p == 0 ? frame.height : frame.ChromaHeight();
    for (int y = 0; y < rows; ++y) std::fill_n(frame.Row(p, y), frame.Stride(p), value);
  }
  return frame;
}

struct SinkCase {
  const char* name;
  MediaFileFormat file;
  std::optional<YuvFormat> pictures;  // none: what the file's codec takes
};

TEST(EncoderSink, PicturesReachTheFileInOrderAndInTheirColours) {
  const SinkCase cases[] = {
      {"mjpeg.avi", MediaFileFormat::AviMjpegPcm, std::nullopt},
      {"h264.mp4", MediaFileFormat::Mp4H264Aac, std::nullopt},
      // Another format, range and matrix than H.264's: converted by the encoder.
      {"converted.mp4", MediaFileFormat::Mp4H264Aac, YuvFormat{AV_PIX_FMT_YUV444P, true, SWS_CS_ITU601}},
  };
  testing::TempDir dir;
  for (const SinkCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(c.name);
    const MediaFileSettings settings{c.file, kWidth, kHeight, 25000, 48000};
    std::string error;
    auto encoder = MediaFileEncoder::Open(path, settings, error);
    ASSERT_TRUE(encoder) << error;
    const YuvFormat format = c.pictures.value_or(EncoderPictureFormat(settings));
    const YuvFrame red = SolidYuv(format, 220, 30, 30);
    const YuvFrame blue = SolidYuv(format, 30, 30, 220);
    const std::vector<float> silence(1920 * 2, 0.0f);
    {
      EncoderSink sink(*encoder, format);
      EXPECT_EQ(sink.YuvWanted(), format);
      // Red and blue in runs of three, more than the queue holds.
      for (int n = 0; n < 24; ++n) {
        sink.OnYuvFrame(n / 25.0, (n / 3) % 2 == 0 ? red : blue);
        sink.OnAudio(n / 25.0, silence.data(), 1920);
      }
      EXPECT_TRUE(sink.Finish()) << encoder->Error();
    }
    ASSERT_TRUE(encoder->Finish()) << encoder->Error();
    EXPECT_EQ(encoder->VideoFramesWritten(), 24);
    EXPECT_EQ(encoder->AudioFramesWritten(), 24 * 1920);
    const auto media = testing::DecodeMediaFile(path);
    ASSERT_TRUE(media);
    ASSERT_EQ(media->frames.size(), 24u);
    for (int n = 0; n < 24; ++n) {
      const auto colour = media->MeanColour(n, kWidth / 2 - 8, kHeight / 2 - 8, 16);
      const bool isRed = (n / 3) % 2 == 0;
      EXPECT_NEAR(colour.r, isRed ? 220 : 30, 8) << "frame " << n;
      EXPECT_NEAR(colour.g, 30, 8) << "frame " << n;
      EXPECT_NEAR(colour.b, isRed ? 30 : 220, 8) << "frame " << n;
    }
  }
}

TEST(EncoderSink, AFailedWriteStopsItWithoutHoldingTheBoardUp) {
  testing::TempDir dir;
  const MediaFileSettings settings{MediaFileFormat::AviMjpegPcm, kWidth, kHeight, 25000, 48000};
  std::string error;
  auto encoder = MediaFileEncoder::Open(dir.File("early.avi"), settings, error);
  ASSERT_TRUE(encoder) << error;
  ASSERT_TRUE(encoder->Finish());  // every write after this fails
  EncoderSink sink(*encoder, EncoderPictureFormat(settings));
  const YuvFrame grey = SolidYuv(EncoderPictureFormat(settings), 128, 128, 128);
  // Far more frames than the queue holds: none may block once writing failed.
  for (int n = 0; n < 4 * static_cast<int>(EncoderSink::kQueuedFrames); ++n) sink.OnYuvFrame(n / 25.0, grey);
  EXPECT_FALSE(sink.Finish());
  EXPECT_FALSE(sink.Ok());
  EXPECT_EQ(encoder->VideoFramesWritten(), 0);
}

}  // namespace
}  // namespace vantorelle
