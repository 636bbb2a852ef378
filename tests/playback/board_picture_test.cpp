// Pictures of movies as the board shows them, made by the ffmpeg program and
// read back from the capture sink: colours read by each file's matrix and
// range, shapes kept when fitted into output frames of other shapes and
// pixel aspects, interlaced material shown without combs, phone rotation
// applied, and still images shown on a video line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "board_output_rig.h"
#include "board_picture_checks.h"
#include "support/sound_probe.h"
#include "playback/software_board/super_clip.h"
#include "playback/software_board/video_time_line.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::At;
using testing::BoardOutputRig;
using testing::HasFfmpegProgram;
using testing::Quoted;
using testing::RenderWholeMovie;
using Rgb = testing::ColourLevels;
using testing::RunFfmpeg;
using testing::Text;
using testing::Within;

class BoardPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasFfmpegProgram()) GTEST_SKIP() << "no ffmpeg program on PATH";
  }
};

// ---------------------------------------------------------------------------
// Colours.

// Four bars side by side: red, green, blue and grey at 192.
const Rgb kBars[4] = {{192, 0, 0}, {0, 192, 0}, {0, 0, 192}, {192, 192, 192}};

std::string BarsSource(int width, int height) {
  const std::string size = std::to_string(width / 4) + "x" + std::to_string(height);
  return "-f lavfi -i \"color=c=0xC00000:s=" + size + ":d=0.2[a];color=c=0x00C000:s=" + size +
         ":d=0.2[b];color=c=0x0000C0:s=" + size + ":d=0.2[c];color=c=0xC0C0C0:s=" + size +
         ":d=0.2[d];[a][b][c][d]hstack=4\"";
}

struct BarsCase {
  const char* name;
  int width;
  int height;
  const char* matrix;  // the matrix the YUV is made with
  const char* range;   // tv or pc
  bool tagged;
};

TEST_F(BoardPicture, BarsShowTheirColoursWhateverMatrixAndRangeTheyWereMadeWith) {
  const BarsCase cases[] = {
      {"hd-709-tagged", 1280, 720, "bt709", "tv", true},
      {"hd-709-untagged", 1280, 720, "bt709", "tv", false},
      {"sd-601-tagged", 720, 576, "bt601", "tv", true},
      {"sd-601-untagged", 720, 576, "bt601", "tv", false},
      {"sd-709-tagged", 720, 576, "bt709", "tv", true},
      {"hd-601-tagged", 1280, 720, "bt601", "tv", true},
      {"hd-709-full-range", 1280, 720, "bt709", "pc", true},
      {"uhd-2020-tagged", 1280, 720, "bt2020", "tv", true},
  };
  for (const BarsCase& c : cases) {
    SCOPED_TRACE(c.name);
    // The output has the source's shape, so that the bars fill it.
    BoardOutputRig rig(SoftwareBoardFormat{c.width / 2, c.height / 2, 25.0});
    const std::string path = rig.Dir().File(std::string(c.name) + ".mkv");
    const std::string matrix = c.matrix;
    const std::string space = matrix == "bt601" ? "bt470bg" : matrix == "bt2020" ? "bt2020nc" : matrix;
    std::string tags = c.tagged ? " -colorspace " + space + " -color_range " + c.range : "";
    ASSERT_TRUE(RunFfmpeg(BarsSource(c.width, c.height) + " -vf scale=out_color_matrix=" + c.matrix +
                          ":out_range=" + c.range + ",format=yuv444p" + tags + " -c:v ffv1 " + Quoted(path)));
    const std::vector<RgbFrame> frames = RenderWholeMovie(rig, path, 0.2);
    ASSERT_FALSE(frames.empty());
    const RgbFrame& frame = frames.front();
    for (int bar = 0; bar < 4; ++bar) {
      const Rgb seen = At(frame, frame.width * (2 * bar + 1) / 8, frame.height / 2);
      EXPECT_TRUE(Within(seen, kBars[bar], 2)) << "bar " << bar << " shows " << Text(seen) << " for "
                                               << Text(kBars[bar]);
    }
  }
}

// ---------------------------------------------------------------------------
// Shapes.

// The bounding box of the bright pixels of a frame.
struct Box {
  int left = 1 << 30;
  int top = 1 << 30;
  int right = -1;
  int bottom = -1;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

// A frame-filling grey picture (so its extent shows against black bars)
// with a white disc of the radius in shown units in its middle.
void WriteDisc(const std::string& path, int width, int height, const std::string& sar, double pixelAspect,
               int radius) {
  char expression[256];
  std::snprintf(expression, sizeof expression, "if(lt(hypot((X-%d)*%f\\,Y-%d)\\,%d)\\,235\\,60)", width / 2,
                pixelAspect, height / 2, radius);
  ASSERT_TRUE(RunFfmpeg("-f lavfi -i color=c=black:s=" + std::to_string(width) + "x" + std::to_string(height) +
                        ":d=0.2 -vf \"format=yuv420p,geq=lum='" + expression + "':cb=128:cr=128,setsar=" + sar +
                        "\" -c:v ffv1 " + Quoted(path)));
}

struct ShapeCase {
  const char* name;
  int sourceWidth;
  int sourceHeight;
  const char* sar;
  double sourcePixelAspect;
  SoftwareBoardFormat output;
  // Where the picture lies in the output.
  int pictureLeft;
  int pictureTop;
  int pictureWidth;
  int pictureHeight;
};

TEST_F(BoardPicture, PicturesAreFittedWithTheirShapeKept) {
  const SoftwareBoardFormat pal{720, 576, 25.0, 16.0 / 15.0};
  const SoftwareBoardFormat squareWide{640, 360, 25.0, 1.0};
  const ShapeCase cases[] = {
      // 16:9 in a 4:3 frame of 16:15 pixels: 432 of 576 rows.
      {"hd-in-pal", 1920, 1080, "1", 1.0, pal, 0, 72, 720, 432},
      // 4:3 stored in 720 × 576 at 16:15 fills the same frame.
      {"pal-in-pal", 720, 576, "16/15", 16.0 / 15.0, pal, 0, 0, 720, 576},
      // 4:3 in a square 16:9 frame: 480 of 640 columns.
      {"pal-in-wide", 720, 576, "16/15", 16.0 / 15.0, squareWide, 80, 0, 480, 360},
      // 16:9 stored anamorphic in 720 × 576 (64:45) fills a square 16:9 frame.
      {"anamorphic-in-wide", 720, 576, "64/45", 64.0 / 45.0, squareWide, 0, 0, 640, 360},
  };
  for (const ShapeCase& c : cases) {
    SCOPED_TRACE(c.name);
    BoardOutputRig rig(c.output);
    const std::string path = rig.Dir().File(std::string(c.name) + ".mkv");
    WriteDisc(path, c.sourceWidth, c.sourceHeight, c.sar, c.sourcePixelAspect, c.sourceHeight / 3);
    const std::vector<RgbFrame> frames = RenderWholeMovie(rig, path, 0.2);
    ASSERT_FALSE(frames.empty());
    const RgbFrame& frame = frames.front();

    // The disc is as wide as it is high when shown.
    Box disc;
    for (int y = 0; y < frame.height; ++y) {
      for (int x = 0; x < frame.width; ++x) {
        if (frame.Pixel(x, y)[1] < 150) continue;
        disc.left = std::min(disc.left, x);
        disc.right = std::max(disc.right, x);
        disc.top = std::min(disc.top, y);
        disc.bottom = std::max(disc.bottom, y);
      }
    }
    ASSERT_GT(disc.Height(), 10);
    const double shownRatio = disc.Width() * c.output.pixelAspect / disc.Height();
    EXPECT_NEAR(shownRatio, 1.0, 0.03) << disc.Width() << " × " << disc.Height();

    // The grey picture fills exactly its place; the rest is black.
    Box seen;
    for (int y = 0; y < frame.height; ++y) {
      for (int x = 0; x < frame.width; ++x) {
        if (frame.Pixel(x, y)[1] < 20) continue;
        seen.left = std::min(seen.left, x);
        seen.right = std::max(seen.right, x);
        seen.top = std::min(seen.top, y);
        seen.bottom = std::max(seen.bottom, y);
      }
    }
    EXPECT_NEAR(seen.left, c.pictureLeft, 1);
    EXPECT_NEAR(seen.top, c.pictureTop, 1);
    EXPECT_NEAR(seen.Width(), c.pictureWidth, 2);
    EXPECT_NEAR(seen.Height(), c.pictureHeight, 2);
  }
}

// ---------------------------------------------------------------------------
// Interlaced material.

// The mean difference between neighbouring rows: a picture of vertical
// stripes has none, its woven fields of moving stripes a lot.
double RowCombing(const RgbFrame& frame) {
  double sum = 0.0;
  for (int y = 0; y + 1 < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) sum += std::abs(frame.Pixel(x, y)[1] - frame.Pixel(x, y + 1)[1]);
  }
  return sum / (static_cast<double>(frame.width) * (frame.height - 1));
}

double BrightShare(const RgbFrame& frame) {
  std::size_t bright = 0;
  for (std::size_t i = 1; i < frame.pixels.size(); i += 3) bright += frame.pixels[i] > 128 ? 1 : 0;
  return static_cast<double>(bright) / (frame.pixels.size() / 3);
}

TEST_F(BoardPicture, InterlacedMaterialShowsNoCombs) {
  for (const char* name : {"interlaced.mkv", "interlaced.mpg"}) {
    SCOPED_TRACE(name);
    BoardOutputRig rig(SoftwareBoardFormat{720, 576, 25.0, 1.0});
    const std::string path = rig.Dir().File(name);
    // Vertical stripes moving 8 pixels a field, woven two fields a frame.
    ASSERT_TRUE(RunFfmpeg("-f lavfi -i color=c=black:s=720x576:r=50:d=1.2 -vf \"format=yuv420p,"
                          "geq=lum='if(lt(mod(X-T*400\\,120)\\,60)\\,235\\,16)':cb=128:cr=128,"
                          "tinterlace=mode=interleave_top,setfield=tff\" -c:v mpeg2video -q:v 2 -flags +ildct+ilme "
                          "-top 1 " + Quoted(path)));
    const std::vector<RgbFrame> frames = RenderWholeMovie(rig, path, 0.6);
    ASSERT_GE(frames.size(), 12u);
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{11}}) {
      EXPECT_LT(RowCombing(frames[n]), 3.0) << "frame " << n;
      EXPECT_NEAR(BrightShare(frames[n]), 0.5, 0.1) << "frame " << n << " shows its stripes";
    }
  }
}

// ---------------------------------------------------------------------------
// Rotation.

// The first frame of a file as FFmpeg's own decoding shows it (turned by the
// display matrix), packed RGB of the shown size.
std::vector<std::uint8_t> FfmpegShownFrame(const std::string& path, const std::string& rawPath) {
  if (!RunFfmpeg("-i " + Quoted(path) + " -frames:v 1 -f rawvideo -pix_fmt rgb24 " + Quoted(rawPath))) return {};
  std::ifstream in(rawPath, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(BoardPicture, PhoneRotationIsAppliedAsFfmpegShowsIt) {
  // Stored 320 × 160, left half red and right half blue; the file says to
  // show it turned a quarter, so it is shown 160 wide and 320 high with the
  // colours above each other, pillarboxed in a square frame.
  for (const char* turn : {"90", "270"}) {
    SCOPED_TRACE(turn);
    BoardOutputRig rig(SoftwareBoardFormat{320, 320, 25.0, 1.0});
    const std::string stored = rig.Dir().File("stored.mp4");
    const std::string path = rig.Dir().File(std::string("phone") + turn + ".mp4");
    ASSERT_TRUE(RunFfmpeg("-f lavfi -i \"color=c=red:s=160x160:d=0.2[a];color=c=blue:s=160x160:d=0.2[b];"
                          "[a][b]hstack\" -c:v libx264 -pix_fmt yuv420p " + Quoted(stored)));
    ASSERT_TRUE(RunFfmpeg("-i " + Quoted(stored) + " -c copy -metadata:s:v:0 rotate=" + turn + " " + Quoted(path)));
    const std::vector<std::uint8_t> reference = FfmpegShownFrame(path, rig.Dir().File("shown.rgb"));
    ASSERT_EQ(reference.size(), 160u * 320u * 3u) << "FFmpeg shows the file turned";
    const std::vector<RgbFrame> frames = RenderWholeMovie(rig, path, 0.2);
    ASSERT_FALSE(frames.empty());
    const RgbFrame& frame = frames.front();
    for (int y : {40, 280}) {
      const std::uint8_t* expected = &reference[(static_cast<std::size_t>(y) * 160 + 80) * 3];
      const Rgb seen = At(frame, 160, y);
      EXPECT_TRUE(Within(seen, Rgb{expected[0], expected[1], expected[2]}, 12)) << y << ": " << Text(seen);
    }
    EXPECT_NE(At(frame, 160, 40).r > 128, At(frame, 160, 280).r > 128);
    EXPECT_TRUE(Within(At(frame, 30, 160), Rgb{0, 0, 0}, 2)) << Text(At(frame, 30, 160));
  }
}

// ---------------------------------------------------------------------------
// Still images on a video line.

TEST_F(BoardPicture, StillImagesPlayForTheirDurationFittedAndOverBlackWhereTransparent) {
  // A 4:3 image in a square 16:9 output: 480 of 640 columns, then a red
  // image at half opacity.
  BoardOutputRig rig(SoftwareBoardFormat{640, 360, 25.0, 1.0});
  const std::string solid = rig.Dir().File("solid.png");
  ASSERT_TRUE(testing::WriteImage(solid, testing::ImageFormat::Png, 320, 240, testing::Rgb{20, 200, 20}));
  const std::string half = rig.Dir().File("half.png");
  std::vector<std::uint8_t> rgba;
  for (int i = 0; i < 64 * 36; ++i) rgba.insert(rgba.end(), {200, 0, 0, 128});
  ASSERT_TRUE(testing::WriteImagePixels(half, testing::ImageFormat::Png, 64, 36, rgba, testing::ImageAlpha::Keep));
  auto solidImage = rig.Image(solid);
  auto halfImage = rig.Image(half);
  std::unique_ptr<IKlpSuperClip> clip;
  ASSERT_EQ(rig.Board().CreateSuperClip(kSuperClipVideo, 6, clip), KlpOk);
  ASSERT_EQ(clip->AddStillImageFragment(*solidImage, 0.4), KlpOk);
  ASSERT_EQ(clip->AddStillImageFragment(*halfImage, 0.2), KlpOk);
  auto line = rig.VideoLine();
  ASSERT_EQ(line->AddMovie(*clip), KlpOk);
  ASSERT_EQ(line->PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line->PutState(KlpStatePaused), KlpOk);
  ASSERT_EQ(line->PutState(KlpStatePlaying), KlpOk);
  EXPECT_EQ(rig.Pump().RunToEnd(1000), 15);
  const auto& frames = rig.Sink().Frames();
  ASSERT_EQ(frames.size(), 15u);
  for (int n : {0, 9}) {
    const RgbFrame& frame = frames[n].frame;
    EXPECT_TRUE(Within(At(frame, 320, 180), Rgb{20, 200, 20}, 3)) << n << ": " << Text(At(frame, 320, 180));
    EXPECT_TRUE(Within(At(frame, 85, 180), Rgb{20, 200, 20}, 3)) << n << ": " << Text(At(frame, 85, 180));
    EXPECT_TRUE(Within(At(frame, 75, 180), Rgb{0, 0, 0}, 2)) << n << ": " << Text(At(frame, 75, 180));
    EXPECT_TRUE(Within(At(frame, 565, 180), Rgb{0, 0, 0}, 2)) << n << ": " << Text(At(frame, 565, 180));
  }
  for (int n : {10, 14}) {
    const RgbFrame& frame = frames[n].frame;
    EXPECT_TRUE(Within(At(frame, 320, 180), Rgb{100, 0, 0}, 3)) << n << ": " << Text(At(frame, 320, 180));
  }
  // Only the board's own open images can be shown, and only on video clips.
  std::unique_ptr<IKlpSuperClip> sound;
  ASSERT_EQ(rig.Board().CreateSuperClip(kSuperClipAudio, 6, sound), KlpOk);
  EXPECT_EQ(sound->AddStillImageFragment(*solidImage, 0.4), KlpInvalidArgument);
  EXPECT_EQ(clip->AddStillImageFragment(*solidImage, 0.0), KlpInvalidArgument);
}

// A picture with alpha laid over another by its opacity, per colour.
Rgb Over(Rgb top, int alpha, Rgb below) {
  auto mix = [&](int t, int b) { return (t * alpha + b * (255 - alpha) + 127) / 255; };
  return Rgb{mix(top.r, below.r), mix(top.g, below.g), mix(top.b, below.b)};
}

TEST_F(BoardPicture, PicturesWithAlphaAreLaidOverTheLinesBelow) {
  // Above: nothing at first, then a half-transparent red image, then a movie
  // with alpha of green at a quarter opacity.
  struct AlphaMovie {
    const char* name;
    const char* encoding;
  };
  const AlphaMovie movies[] = {
      {"qtrle.mov", "-c:v qtrle"},
      {"png.mov", "-c:v png"},
      {"prores4444.mov", "-c:v prores_ks -profile:v 4444 -pix_fmt yuva444p10le -alpha_bits 16"},
      {"vp9.webm", "-c:v libvpx-vp9 -pix_fmt yuva420p -crf 10 -b:v 0"},
      {"vp8.webm", "-c:v libvpx -pix_fmt yuva420p -auto-alt-ref 0 -crf 4 -b:v 2M"},
  };
  for (const AlphaMovie& movie : movies) {
    SCOPED_TRACE(movie.name);
    BoardOutputRig rig;
    auto below = rig.Movie(rig.SolidMovie("below.avi", 20, 20, 220, 1.0));
    const std::string half = rig.Dir().File("half.png");
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < 64 * 48; ++i) rgba.insert(rgba.end(), {200, 0, 0, 128});
    ASSERT_TRUE(
        testing::WriteImagePixels(half, testing::ImageFormat::Png, 64, 48, rgba, testing::ImageAlpha::Keep));
    const std::string overlay = rig.Dir().File(movie.name);
    ASSERT_TRUE(RunFfmpeg("-f lavfi -i \"color=c=0x00C800@0.25:s=160x120:d=0.4,format=argb\" " +
                          std::string(movie.encoding) + " " + Quoted(overlay)));
    auto halfImage = rig.Image(half);
    auto overlayMovie = rig.Movie(overlay);
    EXPECT_TRUE(overlayMovie->HasTransparency());

    auto lower = rig.VideoLine();
    auto lowerClip = rig.VideoClip(*below, 0.0, 0.8);
    ASSERT_EQ(lower->AddMovie(*lowerClip), KlpOk);
    auto upper = rig.VideoLine();
    std::unique_ptr<IKlpSuperClip> still;
    ASSERT_EQ(rig.Board().CreateSuperClip(kSuperClipVideo, 6, still), KlpOk);
    ASSERT_EQ(still->AddStillImageFragment(*halfImage, 0.2), KlpOk);
    auto overlayClip = rig.VideoClip(*overlayMovie, 0.0, 0.4);
    ASSERT_EQ(upper->AddEmpty(0.2), KlpOk);
    ASSERT_EQ(upper->AddMovie(*still), KlpOk);
    ASSERT_EQ(upper->AddMovie(*overlayClip), KlpOk);
    for (IKlpVTimeLine* line : {lower.get(), upper.get()}) {
      ASSERT_EQ(line->PutState(KlpStatePrepared), KlpOk);
      ASSERT_EQ(line->PutState(KlpStatePaused), KlpOk);
      ASSERT_EQ(line->PutState(KlpStatePlaying), KlpOk);
    }
    EXPECT_EQ(rig.Pump().RunToEnd(1000), 20);
    const auto& frames = rig.Sink().Frames();
    ASSERT_EQ(frames.size(), 20u);
    // An empty stretch above lets the line below show.
    const Rgb blue = At(frames[2].frame, 80, 60);
    EXPECT_TRUE(Within(blue, Rgb{20, 20, 220}, 12)) << Text(blue);
    for (int n : {5, 9}) {
      const Rgb seen = At(frames[n].frame, 80, 60);
      EXPECT_TRUE(Within(seen, Over(Rgb{200, 0, 0}, 128, blue), 3)) << n << ": " << Text(seen);
    }
    for (int n : {10, 19}) {
      const Rgb seen = At(frames[n].frame, 80, 60);
      EXPECT_TRUE(Within(seen, Over(Rgb{0, 200, 0}, 63, blue), 4)) << n << ": " << Text(seen);
    }
  }
}

}  // namespace
}  // namespace vantorelle
