// The board composing in YUV for a sink that asks for it (a file's encoder):
// the same plays captured once as RGB and once as YUV, brought back to RGB,
// agree within a few levels — at cuts (with the right frame numbers), with a
// transparent picture over another, with slide and crawl titles over a
// movie, and with pictures fitted between bars.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "board_output_rig.h"
#include "playback/ffmpeg_handles.h"
#include "playback/software_board/super_clip.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::BoardOutputRig;

// Keeps every YUV frame it is given, brought back to RGB by swscale with the
// frame's own matrix and range.
class YuvCaptureSink final : public IOutputSink {
 public:
  explicit YuvCaptureSink(YuvFormat format) : format_(format) {}
  std::optional<YuvFormat> YuvWanted() const override { return format_; }
  void OnVideoFrame(double, const RgbFrame&) override { ++rgbFrames_; }
  void OnYuvFrame(double, const YuvFrame& frame) override {
    EXPECT_EQ(frame.format, format_);
    RgbFrame rgb(frame.width, frame.height);
    SwsContextPtr scaler(sws_getContext(frame.width, frame.height, frame.format.format, frame.width, frame.height,
                                        AV_PIX_FMT_RGB24, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                                        nullptr, nullptr, nullptr));
    const int* matrix = sws_getCoefficients(frame.format.matrix);
    sws_setColorspaceDetails(scaler.get(), matrix, frame.format.fullRange ? 1 : 0, matrix, 1, 0, 1 << 16, 1 << 16);
    const std::uint8_t* planes[4] = {frame.Row(0, 0), frame.Row(1, 0), frame.Row(2, 0), nullptr};
    const int strides[4] = {frame.Stride(0), frame.Stride(1), frame.Stride(2), 0};
    std::uint8_t* out[4] = {rgb.pixels.data(), nullptr, nullptr, nullptr};
    const int outStrides[4] = {rgb.width * 3, 0, 0, 0};
    sws_scale(scaler.get(), planes, strides, 0, frame.height, out, outStrides);
    frames_.push_back(std::move(rgb));
  }
  void OnAudio(double, const float*, std::size_t) override {}
  void OnEnd() override {}

  const std::vector<RgbFrame>& Frames() const { return frames_; }
  int RgbFrames() const { return rgbFrames_; }

 private:
  YuvFormat format_;
  std::vector<RgbFrame> frames_;
  int rgbFrames_ = 0;
};

// What H.264 and MJPEG files take.
const YuvFormat kH264{AV_PIX_FMT_YUV420P, false, SWS_CS_ITU709};
const YuvFormat kMjpeg{AV_PIX_FMT_YUV422P, true, SWS_CS_ITU601};

// A play set up on a rig: lines and titles made, not yet started.
using Scene = std::function<void(BoardOutputRig& rig, std::vector<std::shared_ptr<void>>& keep,
                                 std::vector<IKlpVTimeLine*>& lines, std::vector<std::function<void()>>& titles)>;

void Start(const std::vector<IKlpVTimeLine*>& lines, const std::vector<std::function<void()>>& titles) {
  for (IKlpVTimeLine* line : lines) {
    ASSERT_EQ(line->PutState(KlpStatePrepared), KlpOk);
    ASSERT_EQ(line->PutState(KlpStatePaused), KlpOk);
    ASSERT_EQ(line->PutState(KlpStatePlaying), KlpOk);
  }
  for (const auto& title : titles) title();
}

std::vector<RgbFrame> PlayRgb(const Scene& scene, int frames, SoftwareBoardFormat format) {
  BoardOutputRig rig(format);
  std::vector<std::shared_ptr<void>> keep;
  std::vector<IKlpVTimeLine*> lines;
  std::vector<std::function<void()>> titles;
  scene(rig, keep, lines, titles);
  Start(lines, titles);
  for (int i = 0; i < frames; ++i) rig.Pump().Step();
  std::vector<RgbFrame> result;
  for (const auto& captured : rig.Sink().Frames()) result.push_back(captured.frame);
  return result;
}

std::vector<RgbFrame> PlayYuv(const Scene& scene, int frames, SoftwareBoardFormat format, YuvFormat yuv) {
  BoardOutputRig rig(format);
  YuvCaptureSink sink(yuv);
  rig.Output().SetSink(&sink);
  std::vector<std::shared_ptr<void>> keep;
  std::vector<IKlpVTimeLine*> lines;
  std::vector<std::function<void()>> titles;
  scene(rig, keep, lines, titles);
  Start(lines, titles);
  for (int i = 0; i < frames; ++i) rig.Pump().Step();
  rig.Output().EndPlay();
  rig.Output().SetSink(nullptr);
  EXPECT_EQ(sink.RgbFrames(), 0) << "a YUV sink is given YUV only";
  return sink.Frames();
}

// The mean difference of a channel over the frame, and how many pixels
// differ by more than tolerance in any channel.
struct Difference {
  double mean = 0.0;
  int beyond = 0;
};

Difference Compare(const RgbFrame& a, const RgbFrame& b, int tolerance) {
  Difference d;
  if (a.width != b.width || a.height != b.height) return {1e9, a.width * a.height};
  double sum = 0.0;
  for (std::size_t i = 0; i < a.pixels.size(); i += 3) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) {
      const int diff = std::abs(int{a.pixels[i + c]} - int{b.pixels[i + c]});
      sum += diff;
      worst = std::max(worst, diff);
    }
    if (worst > tolerance) ++d.beyond;
  }
  d.mean = sum / static_cast<double>(a.pixels.size());
  return d;
}

// Both plays agree: every frame's mean difference within a few levels, and
// all but the pixels at sharp colour edges (where chroma is shared by two
// pixels) within tolerance.
void ExpectAgree(const std::vector<RgbFrame>& rgb, const std::vector<RgbFrame>& yuv, int tolerance,
                 double edgeShare) {
  ASSERT_EQ(rgb.size(), yuv.size());
  for (std::size_t n = 0; n < rgb.size(); ++n) {
    const Difference d = Compare(rgb[n], yuv[n], tolerance);
    EXPECT_LT(d.mean, 2.5) << "frame " << n;
    EXPECT_LE(d.beyond, static_cast<int>(edgeShare * rgb[n].width * rgb[n].height)) << "frame " << n;
  }
}

std::string NumberedMovie(BoardOutputRig& rig, const std::string& name, int width, int height, int count,
                          testing::Rgb colour, testing::FramePattern pattern = testing::FramePattern::FrameNumbered) {
  testing::MovieParams params;
  params.pattern = pattern;
  params.width = width;
  params.height = height;
  params.frameCount = count;
  params.colour = colour;
  const std::string path = rig.Dir().File(name);
  EXPECT_TRUE(testing::WriteAvi(path, params));
  return path;
}

std::unique_ptr<IKlpPlayStillImage> Picture(BoardOutputRig& rig, const std::string& name, int width, int height,
                                            std::vector<std::uint8_t> rgba) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), rgba.begin(), rgba.end());
  const std::string path = rig.Dir().File(name);
  EXPECT_TRUE(testing::WriteImagePixels(path, testing::ImageFormat::Png, width, height, pixels,
                                        testing::ImageAlpha::Keep));
  return rig.Image(path);
}

template <typename T>
T* Kept(std::vector<std::shared_ptr<void>>& keep, std::unique_ptr<T> object) {
  T* raw = object.get();
  keep.push_back(std::shared_ptr<T>(std::move(object)));
  return raw;
}

TEST(BoardYuvOutput, CutsShowTheSameFramesAsInRgb) {
  // Frames 0–9 of one movie, then from frame 5 of another, then an empty
  // stretch (black).
  const Scene cuts = [](BoardOutputRig& rig, auto& keep, auto& lines, auto&) {
    auto* first = Kept(keep, rig.Movie(NumberedMovie(rig, "first.avi", 320, 240, 25, {200, 40, 40})));
    auto* second = Kept(keep, rig.Movie(NumberedMovie(rig, "second.avi", 320, 240, 25, {40, 60, 200})));
    auto* line = Kept(keep, rig.VideoLine());
    auto* a = Kept(keep, rig.VideoClip(*first, 0.0, 0.4));
    auto* b = Kept(keep, rig.VideoClip(*second, 0.2, 0.4));
    ASSERT_EQ(line->AddMovie(*a), KlpOk);
    ASSERT_EQ(line->AddMovie(*b), KlpOk);
    ASSERT_EQ(line->AddEmpty(0.2), KlpOk);
    lines.push_back(line);
  };
  const SoftwareBoardFormat format{320, 240, 25.0};
  const std::vector<RgbFrame> rgb = PlayRgb(cuts, 25, format);
  ASSERT_EQ(rgb.size(), 25u);
  for (const YuvFormat& yuv : {kH264, kMjpeg}) {
    SCOPED_TRACE(yuv.format == AV_PIX_FMT_YUV420P ? "4:2:0 limited BT.709" : "4:2:2 full BT.601");
    const std::vector<RgbFrame> seen = PlayYuv(cuts, 25, format, yuv);
    ASSERT_EQ(seen.size(), 25u);
    for (int n = 0; n < 20; ++n) {
      const int expected = n < 10 ? n : n - 10 + 5;
      EXPECT_EQ(testing::ReadFrameNumber(seen[n].pixels.data(), 320, 240), expected) << "frame " << n;
      EXPECT_EQ(testing::ReadFrameNumber(rgb[n].pixels.data(), 320, 240), expected) << "frame " << n;
    }
    for (int n = 20; n < 25; ++n) {
      const std::uint8_t* p = seen[n].Pixel(160, 120);
      EXPECT_LE(p[0] + p[1] + p[2], 3) << "black past the clips, frame " << n;
    }
    ExpectAgree(rgb, seen, 12, 0.03);
  }
}

TEST(BoardYuvOutput, TransparentPicturesAreLaidOverTheLineBelow) {
  // A movie below; above it half-transparent red over the left half (a
  // still with a clear right half) and then nothing.
  const Scene over = [](BoardOutputRig& rig, auto& keep, auto& lines, auto&) {
    auto* below = Kept(keep, rig.Movie(rig.SolidMovie("below.avi", 20, 20, 220, 1.0)));
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 120; ++y) {
      for (int x = 0; x < 160; ++x) {
        const std::vector<std::uint8_t> pixel =
            x < 80 ? std::vector<std::uint8_t>{200, 0, 0, 128} : std::vector<std::uint8_t>{0, 255, 0, 0};
        pixels.insert(pixels.end(), pixel.begin(), pixel.end());
      }
    }
    const std::string path = rig.Dir().File("half.png");
    ASSERT_TRUE(testing::WriteImagePixels(path, testing::ImageFormat::Png, 160, 120, pixels,
                                          testing::ImageAlpha::Keep));
    auto* image = Kept(keep, rig.Image(path));
    auto* lower = Kept(keep, rig.VideoLine());
    auto* lowerClip = Kept(keep, rig.VideoClip(*below, 0.0, 0.8));
    ASSERT_EQ(lower->AddMovie(*lowerClip), KlpOk);
    auto* upper = Kept(keep, rig.VideoLine());
    std::unique_ptr<IKlpSuperClip> still;
    ASSERT_EQ(rig.Board().CreateSuperClip(kSuperClipVideo, 6, still), KlpOk);
    ASSERT_EQ(still->AddStillImageFragment(*image, 0.4), KlpOk);
    ASSERT_EQ(upper->AddMovie(*Kept(keep, std::move(still))), KlpOk);
    lines.push_back(lower);
    lines.push_back(upper);
  };
  const SoftwareBoardFormat format{160, 120, 25.0};
  const std::vector<RgbFrame> rgb = PlayRgb(over, 20, format);
  for (const YuvFormat& yuv : {kH264, kMjpeg}) {
    const std::vector<RgbFrame> seen = PlayYuv(over, 20, format, yuv);
    ASSERT_EQ(seen.size(), 20u);
    // Red at half opacity over blue on the left, blue alone on the right.
    const std::uint8_t* left = seen[3].Pixel(40, 60);
    EXPECT_NEAR(left[0], (200 * 128 + 20 * 127) / 255, 6);
    EXPECT_NEAR(left[2], (0 * 128 + 220 * 127) / 255, 6);
    const std::uint8_t* right = seen[3].Pixel(120, 60);
    EXPECT_NEAR(right[0], 20, 6);
    EXPECT_NEAR(right[2], 220, 6);
    ExpectAgree(rgb, seen, 8, 0.03);
  }
}

TEST(BoardYuvOutput, SlideAndCrawlTitlesOverAMovie) {
  const Scene titled = [](BoardOutputRig& rig, auto& keep, auto& lines, auto& titles) {
    auto* movie = Kept(keep, rig.Movie(NumberedMovie(rig, "movie.avi", 320, 240, 25, {40, 120, 60})));
    auto* line = Kept(keep, rig.VideoLine());
    auto* clip = Kept(keep, rig.VideoClip(*movie, 0.0, 1.0));
    ASSERT_EQ(line->AddMovie(*clip), KlpOk);
    lines.push_back(line);
    // A slide fading in over a region at the bottom, a crawl moving through
    // the top, both clear of the frame number's cells.
    std::unique_ptr<IKlpSlideTitleTask> slide;
    ASSERT_EQ(rig.Board().CreateSlideTitleTask(0, KlpSlideTitleParams{20, 205, 200, 30}, 1.0, 0.5, slide), KlpOk);
    auto* solid = Kept(keep, Picture(rig, "slide.png", 200, 30, {250, 250, 0, 200}));
    ASSERT_EQ(slide->AddData(*solid, 1.0, 0.4, 0.0), KlpOk);
    KlpMovableTitleParams params;
    params.speed = 100.0;
    params.direction = 0;
    params.left = 0;
    params.top = 10;
    params.width = 320;
    params.height = 30;
    std::unique_ptr<IKlpMovableTitleTask> crawl;
    ASSERT_EQ(rig.Board().CreateMovableTitleTask(0, params, 1.0, 0.5, crawl), KlpOk);
    auto* text = Kept(keep, Picture(rig, "crawl.png", 90, 20, {255, 255, 255, 255}));
    ASSERT_EQ(crawl->AddEmpty(100), KlpOk);
    ASSERT_EQ(crawl->AddData(*text, 0, 90), KlpOk);
    IKlpSlideTitleTask* slideTask = Kept(keep, std::move(slide));
    IKlpMovableTitleTask* crawlTask = Kept(keep, std::move(crawl));
    titles.push_back([slideTask, crawlTask] {
      for (std::int32_t state : {1, 2, 3, 4}) {
        ASSERT_EQ(slideTask->PutState(state), KlpOk);
        ASSERT_EQ(crawlTask->PutState(state), KlpOk);
      }
    });
  };
  const SoftwareBoardFormat format{320, 240, 25.0};
  const std::vector<RgbFrame> rgb = PlayRgb(titled, 25, format);
  ASSERT_EQ(rgb.size(), 25u);
  for (const YuvFormat& yuv : {kH264, kMjpeg}) {
    const std::vector<RgbFrame> seen = PlayYuv(titled, 25, format, yuv);
    ASSERT_EQ(seen.size(), 25u);
    for (int n : {0, 12, 24}) {
      EXPECT_EQ(testing::ReadFrameNumber(seen[n].pixels.data(), 320, 240), n) << "under the titles, frame " << n;
    }
    // The slide at full weight (alpha 200) over the movie's green background.
    const std::uint8_t* slide = seen[20].Pixel(120, 220);
    EXPECT_NEAR(slide[0], (250 * 200 + 40 * 55) / 255, 8);
    EXPECT_NEAR(slide[2], (0 * 200 + 60 * 55) / 255, 8);
    // The crawl moves 4 pixels a frame from 100 pixels in: at frame 20 all
    // of its 90 white columns are in the region.
    int white = 0;
    for (int x = 0; x < 320; ++x) white += seen[20].Pixel(x, 20)[2] > 240 ? 1 : 0;
    EXPECT_NEAR(white, 90, 3) << "the crawl image's width shows in the region";
    ExpectAgree(rgb, seen, 12, 0.04);
  }
}

TEST(BoardYuvOutput, FittedPicturesKeepTheirBarsBlack) {
  // A wide movie between bars above and below, a tall one between bars left
  // and right, at odd offsets.
  const Scene fitted = [](BoardOutputRig& rig, auto& keep, auto& lines, auto&) {
    auto* wide = Kept(keep, rig.Movie(NumberedMovie(rig, "wide.avi", 320, 128, 10, {200, 40, 40}, testing::FramePattern::Solid)));
    auto* tall = Kept(keep, rig.Movie(NumberedMovie(rig, "tall.avi", 144, 240, 10, {40, 200, 40}, testing::FramePattern::Solid)));
    auto* line = Kept(keep, rig.VideoLine());
    ASSERT_EQ(line->AddMovie(*Kept(keep, rig.VideoClip(*wide, 0.0, 0.2))), KlpOk);
    ASSERT_EQ(line->AddMovie(*Kept(keep, rig.VideoClip(*tall, 0.0, 0.2))), KlpOk);
    lines.push_back(line);
  };
  const SoftwareBoardFormat format{250, 190, 25.0};
  const std::vector<RgbFrame> rgb = PlayRgb(fitted, 10, format);
  ASSERT_EQ(rgb.size(), 10u);
  for (const YuvFormat& yuv : {kH264, kMjpeg}) {
    const std::vector<RgbFrame> seen = PlayYuv(fitted, 10, format, yuv);
    ASSERT_EQ(seen.size(), 10u);
    for (auto [n, x, y] : {std::tuple{2, 125, 2}, std::tuple{2, 125, 187}, std::tuple{7, 2, 95},
                           std::tuple{7, 247, 95}}) {
      const std::uint8_t* p = seen[n].Pixel(x, y);
      EXPECT_LE(p[0] + p[1] + p[2], 6) << "bar of frame " << n << " at " << x << "," << y;
    }
    EXPECT_GT(seen[2].Pixel(125, 95)[0], 150) << "the wide picture between its bars";
    EXPECT_GT(seen[7].Pixel(125, 95)[1], 150) << "the tall picture between its bars";
    ExpectAgree(rgb, seen, 12, 0.04);
  }
}

}  // namespace
}  // namespace vantorelle
