// Colours of the pictures made outside the board's play path: the
// properties window's movie thumbnail (the YCrCb image's RGB data) and the
// time line's frame images (scaled straight from the decoded frame). They
// read a picture's colours as the board shows it: the matrix and range it
// is tagged with, BT.709 for untagged high definition, and HDR or BT.2020
// pictures brought onto SDR BT.709.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "playback/frame_image.h"
#include "playback/frame_image_scale.h"
#include "playback/source_thumbnail.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/software_board/ycrcb_image_component.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::TempDir;

bool RunFfmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
};

std::string Text(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

bool Within(Rgb c, Rgb expected, int levels) {
  return std::abs(c.r - expected.r) <= levels && std::abs(c.g - expected.g) <= levels &&
         std::abs(c.b - expected.b) <= levels;
}

// Four bars side by side: red, green, blue and grey at 192.
const Rgb kBars[4] = {{192, 0, 0}, {0, 192, 0}, {0, 0, 192}, {192, 192, 192}};

std::string BarsSource(int width, int height) {
  const std::string size = std::to_string(width / 4) + "x" + std::to_string(height);
  return "-f lavfi -i \"color=c=0xC00000:s=" + size + ":d=0.2[a];color=c=0x00C000:s=" + size +
         ":d=0.2[b];color=c=0x0000C0:s=" + size + ":d=0.2[c];color=c=0xC0C0C0:s=" + size +
         ":d=0.2[d];[a][b][c][d]hstack=4,format=gbrp\"";
}

struct BarsMovie {
  const char* name;
  const char* filter;  // how the RGB bars become the movie's YUV
  const char* tags;
  int levels;  // how far each bar may be from its colour
};

// 1280 × 720, so that untagged pictures count as high definition.
const BarsMovie kMovies[] = {
    {"hd-709-tagged", "scale=out_color_matrix=bt709:out_range=tv,format=yuv444p",
     "-colorspace bt709 -color_range tv", 2},
    {"hd-709-untagged", "scale=out_color_matrix=bt709:out_range=tv,format=yuv444p", "", 2},
    // SDR white is 100 cd/m²; tone mapping takes a little of it.
    {"hd-pq", "zscale=tin=709:pin=709:min=gbr:rin=full:t=smpte2084:p=2020:m=2020_ncl:r=limited:npl=100,format=yuv444p10le",
     "-color_trc smpte2084 -color_primaries bt2020 -colorspace bt2020nc -color_range tv", 24},
};

bool WriteBars(const std::string& path, const BarsMovie& movie) {
  return RunFfmpeg(BarsSource(1280, 720) + " -vf \"" + movie.filter + "\" " + movie.tags + " -c:v ffv1 " +
                   Quoted(path));
}

class ThumbnailColour : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program on PATH";
  }
  TempDir dir_;
};

TEST_F(ThumbnailColour, MovieThumbnailShowsBarsInTheirColours) {
  auto board = CreateSoftwareBoardFactory({});
  for (const BarsMovie& bars : kMovies) {
    SCOPED_TRACE(bars.name);
    CSrc movie(dir_.File(std::string(bars.name) + ".mkv"), bars.name);
    ASSERT_TRUE(WriteBars(movie.path, bars));
    movie.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
    SourceThumbnail thumbnail(movie, *board);
    thumbnail.Toggle();
    ASSERT_TRUE(thumbnail.HasFramePosition()) << thumbnail.FailureText();
    const ThumbnailPicture& picture = thumbnail.Picture();
    ASSERT_EQ(picture.width, 1280);
    for (int bar = 0; bar < 4; ++bar) {
      const std::uint8_t* p = picture.pixels.data() + static_cast<std::size_t>(picture.height / 2) * picture.stride +
                              static_cast<std::size_t>(picture.width * (2 * bar + 1) / 8) * picture.bytesPerPixel;
      const Rgb seen{p[0], p[1], p[2]};
      EXPECT_TRUE(Within(seen, kBars[bar], bars.levels))
          << "bar " << bar << " shows " << Text(seen) << " for " << Text(kBars[bar]);
    }
  }
}

TEST_F(ThumbnailColour, FrameImagesShowBarsInTheirColours) {
  auto board = CreateSoftwareBoardFactory({});
  for (const BarsMovie& bars : kMovies) {
    SCOPED_TRACE(bars.name);
    const std::string path = dir_.File(std::string(bars.name) + ".mkv");
    ASSERT_TRUE(WriteBars(path, bars));
    std::unique_ptr<IKlpPlayMovie> movie;
    std::unique_ptr<IKlpPlayYCrCbImage> image;
    ASSERT_EQ(board->CreatePlayMovie(movie), KlpOk);
    ASSERT_EQ(board->CreatePlayYCrCbImage(image), KlpOk);
    ASSERT_EQ(movie->OpenFile(path), KlpOk);
    ASSERT_EQ(movie->CopyToYCrCbImage(*image, 0.02), KlpOk);
    const auto* own = dynamic_cast<const YCrCbImageComponent*>(image.get());
    ASSERT_TRUE(own && own->Picture());
    SwsContextPtr scaler;
    const std::optional<std::vector<std::uint8_t>> pixels = ScaleToFrameImage(*own->Picture(), scaler);
    ASSERT_TRUE(pixels.has_value());
    const std::int32_t rowBytes = FrameImageRowBytes(kFrameImageWidth);
    for (int bar = 0; bar < 4; ++bar) {
      const std::uint8_t* p = pixels->data() + static_cast<std::size_t>(kFrameImageHeight / 2) * rowBytes +
                              static_cast<std::size_t>(kFrameImageWidth * (2 * bar + 1) / 8) * 3;
      const Rgb seen{p[0], p[1], p[2]};
      EXPECT_TRUE(Within(seen, kBars[bar], bars.levels))
          << "bar " << bar << " shows " << Text(seen) << " for " << Text(kBars[bar]);
    }
  }
}

}  // namespace
}  // namespace vantorelle
