// The software board's sound and titles as played out: a tone's level
// following its fades sample by sample, two audio lines mixed with their
// levels and limited at full scale, resampling to 48 kHz, sound and picture
// on one time grid, a crawl title's place in its region frame by frame, and
// a slide's fades and alpha.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "board_output_rig.h"
#include "playback/software_board/audio_mixer.h"
#include "playback/software_board/title_layer.h"
#include "playback/software_board/title_picture_fit.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::BoardOutputRig;
using testing::PeakAround;
using testing::WriteToneWav;

template <typename Line>
void Play(Line& line) {
  ASSERT_EQ(line.PutState(KlpStatePrepared), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePaused), KlpOk);
  ASSERT_EQ(line.PutState(KlpStatePlaying), KlpOk);
}

std::size_t SampleAt(double seconds) { return static_cast<std::size_t>(std::llround(seconds * kBoardSampleRate)); }

TEST(SoftwareBoardSound, ToneLevelFollowsTheFadeShape) {
  BoardOutputRig rig;
  const std::string path = rig.Dir().File("tone.wav");
  ASSERT_TRUE(WriteToneWav(path, 48000, 1, 1000.0, 0.5, 2.0));
  auto movie = rig.Movie(path);
  auto line = rig.AudioLine();
  auto clip = rig.SoundClip(*movie, 0.0, 2.0, 0.8, 1.0, 0.5);
  ASSERT_EQ(line->AddMovie(*clip), KlpOk);
  double length = 0.0;
  ASSERT_EQ(line->GetLength(length), KlpOk);
  EXPECT_DOUBLE_EQ(length, 2.0);
  Play(*line);
  EXPECT_EQ(rig.Pump().RunToEnd(1000), 50);
  const auto& sink = rig.Sink();
  ASSERT_EQ(sink.AudioFrames(), 96000u);
  EXPECT_EQ(sink.AudioGaps(), 0);
  // Fade-in over the first second, full level, fade-out over the last half.
  const struct {
    double at;
    double gain;
  } expected[] = {{0.1, 0.1}, {0.25, 0.25}, {0.5, 0.5}, {0.9, 0.9}, {1.2, 1.0}, {1.6, 0.8}, {1.75, 0.5}, {1.9, 0.2}};
  for (const auto& e : expected) {
    for (int channel : {0, 1}) {
      EXPECT_NEAR(PeakAround(sink, SampleAt(e.at), channel), 0.5 * 0.8 * e.gain, 0.006) << e.at;
    }
  }
  EXPECT_LT(PeakAround(sink, 30, 0), 0.002);
}

TEST(SoftwareBoardSound, AudioLinesAreMixedWithTheirLevelsAndLimited) {
  BoardOutputRig rig;
  const std::string a = rig.Dir().File("a.wav");
  const std::string b = rig.Dir().File("b.wav");
  const std::string c = rig.Dir().File("c.wav");
  ASSERT_TRUE(WriteToneWav(a, 48000, 2, 0.0, 0.3, 1.0));
  ASSERT_TRUE(WriteToneWav(b, 48000, 2, 0.0, 0.4, 1.0));
  ASSERT_TRUE(WriteToneWav(c, 48000, 2, 0.0, -0.9, 1.0));
  auto movieA = rig.Movie(a);
  auto movieB = rig.Movie(b);
  auto movieC = rig.Movie(c);
  auto first = rig.AudioLine();
  auto second = rig.AudioLine();
  // 0.3 and 0.4 × 0.5 for 0.4 s; then 0.3 × 3 and 0.4 × 2 beyond full scale;
  // then -0.9 twice below it.
  auto a1 = rig.SoundClip(*movieA, 0.0, 0.4, 1.0, 0.0, 0.0);
  auto a2 = rig.SoundClip(*movieA, 0.0, 0.4, 3.0, 0.0, 0.0);
  auto c1 = rig.SoundClip(*movieC, 0.0, 0.4, 1.0, 0.0, 0.0);
  auto b1 = rig.SoundClip(*movieB, 0.0, 0.4, 0.5, 0.0, 0.0);
  auto b2 = rig.SoundClip(*movieB, 0.0, 0.4, 2.0, 0.0, 0.0);
  for (IKlpSuperClip* clip : {a1.get(), a2.get(), c1.get()}) ASSERT_EQ(first->AddMovie(*clip), KlpOk);
  for (IKlpSuperClip* clip : {b1.get(), b2.get(), c1.get()}) ASSERT_EQ(second->AddMovie(*clip), KlpOk);
  Play(*first);
  Play(*second);
  EXPECT_EQ(rig.Pump().RunToEnd(1000), 30);
  const auto& audio = rig.Sink().Audio();
  ASSERT_EQ(rig.Sink().AudioFrames(), SampleAt(1.2));
  EXPECT_NEAR(audio[SampleAt(0.2) * 2], 0.5, 0.001);
  EXPECT_NEAR(audio[SampleAt(0.2) * 2 + 1], 0.5, 0.001);
  EXPECT_FLOAT_EQ(audio[SampleAt(0.6) * 2], 1.0f);
  EXPECT_FLOAT_EQ(audio[SampleAt(1.0) * 2 + 1], -1.0f);
  for (float sample : audio) ASSERT_LE(std::fabs(sample), 1.0f);
}

TEST(SoftwareBoardSound, MixerLimitsInsteadOfWrapping) {
  AudioMixer mixer;
  mixer.Begin(2);
  const float loud[] = {0.9f, -0.9f, 0.2f, std::nanf("")};
  mixer.Add(loud);
  mixer.Add(loud, 0.5f);
  const std::vector<float>& sum = mixer.Finish();
  ASSERT_EQ(sum.size(), 4u);
  EXPECT_FLOAT_EQ(sum[0], 1.0f);
  EXPECT_FLOAT_EQ(sum[1], -1.0f);
  EXPECT_FLOAT_EQ(sum[2], 0.3f);
  EXPECT_FLOAT_EQ(sum[3], 0.0f);
  EXPECT_EQ(ToInt16(1.7f), 32767);
  EXPECT_EQ(ToInt16(-1.7f), -32767);
  EXPECT_EQ(ToInt16(0.5f), 16384);
}

TEST(SoftwareBoardSound, OtherRatesAreResampledTo48kHz) {
  BoardOutputRig rig;
  const std::string path = rig.Dir().File("tone44.wav");
  ASSERT_TRUE(WriteToneWav(path, 44100, 2, 1000.0, 0.5, 1.0));
  auto movie = rig.Movie(path);
  auto line = rig.AudioLine();
  auto clip = rig.SoundClip(*movie, 0.2, 0.6, 1.0, 0.0, 0.0);
  ASSERT_EQ(line->AddMovie(*clip), KlpOk);
  Play(*line);
  rig.Pump().RunToEnd(1000);
  const auto& audio = rig.Sink().Audio();
  ASSERT_EQ(rig.Sink().AudioFrames(), SampleAt(0.6));
  int crossings = 0;
  for (std::size_t i = SampleAt(0.05); i + 1 < SampleAt(0.55); ++i) {
    if ((audio[i * 2] < 0.0f) != (audio[(i + 1) * 2] < 0.0f)) ++crossings;
  }
  EXPECT_NEAR(crossings, 1000, 2) << "a 1 kHz tone crosses zero 2000 times a second";
  EXPECT_NEAR(PeakAround(rig.Sink(), SampleAt(0.3), 1), 0.5, 0.01);
}

TEST(SoftwareBoardSound, SoundAndPictureStayInStep) {
  BoardOutputRig rig;
  auto red = rig.Movie(rig.SolidMovie("red.avi", 220, 20, 20, 1.0));
  const std::string tone = rig.Dir().File("tone.wav");
  ASSERT_TRUE(WriteToneWav(tone, 44100, 1, 1000.0, 0.5, 1.0));
  auto sound = rig.Movie(tone);
  auto video = rig.VideoLine();
  auto audio = rig.AudioLine();
  auto picture = rig.VideoClip(*red, 0.0, 1.0);
  auto noise = rig.SoundClip(*sound, 0.0, 1.0, 1.0, 0.0, 0.0);
  // Both start 0.52 s in, after stretches of different makes.
  ASSERT_EQ(video->AddEmpty(0.2), KlpOk);
  ASSERT_EQ(video->AddEmpty(0.32), KlpOk);
  ASSERT_EQ(video->AddMovie(*picture), KlpOk);
  ASSERT_EQ(audio->AddEmpty(0.52), KlpOk);
  ASSERT_EQ(audio->AddMovie(*noise), KlpOk);
  Play(*video);
  Play(*audio);
  ASSERT_EQ(rig.Pump().RunToEnd(1000), 38);
  const auto& sink = rig.Sink();
  EXPECT_EQ(sink.AudioGaps(), 0);
  ASSERT_EQ(sink.AudioFrames(), 38u * 1920u);
  int firstPicture = -1;
  for (std::size_t n = 0; n < sink.Frames().size() && firstPicture < 0; ++n) {
    const RgbFrame& frame = sink.Frames()[n].frame;
    if (frame.Pixel(80, 60)[0] > 100) firstPicture = static_cast<int>(n);
  }
  std::size_t firstSound = 0;
  while (firstSound < sink.AudioFrames() && std::fabs(sink.Audio()[firstSound * 2]) < 0.05f) ++firstSound;
  ASSERT_GE(firstPicture, 0);
  const double pictureAt = sink.Frames()[firstPicture].seconds;
  const double soundAt = sink.AudioStart() + static_cast<double>(firstSound) / kBoardSampleRate;
  EXPECT_NEAR(pictureAt, 0.52, 1e-9);
  EXPECT_NEAR(soundAt, 0.52, 0.001);
  EXPECT_LT(std::fabs(pictureAt - soundAt), 1.0 / 25.0);
}

TEST(SoftwareBoardSound, SoundFramesFollowTheFrameGridWithoutDrift) {
  const double ntsc = 30000.0 / 1001.0;
  EXPECT_EQ(SoundFramesBefore(1, 25.0), 1920);
  EXPECT_EQ(SoundFramesBefore(1, ntsc), 1601);
  EXPECT_EQ(SoundFramesBefore(2, ntsc) - SoundFramesBefore(1, ntsc), 1602);
  EXPECT_EQ(SoundFramesBefore(30000, ntsc), 48048000);
}

// Titles. The picture under them comes from an empty (black) video line.
class SoftwareBoardTitles : public ::testing::Test {
 protected:
  void SetUp() override {
    video_ = rig_.VideoLine();
    ASSERT_EQ(video_->AddEmpty(6.0), KlpOk);
  }

  std::unique_ptr<IKlpPlayStillImage> Picture(const std::string& name, int width, int height, std::uint8_t alpha) {
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < width * height; ++i) rgba.insert(rgba.end(), {0, 250, 0, alpha});
    const std::string path = rig_.Dir().File(name);
    EXPECT_TRUE(testing::WriteImagePixels(path, testing::ImageFormat::Png, width, height, rgba,
                                          testing::ImageAlpha::Keep));
    return rig_.Image(path);
  }

  template <typename Task>
  void Start(Task& task) {
    for (std::int32_t state : {1, 2, 3}) ASSERT_EQ(task.PutState(state), KlpOk);
    Play(*video_);
    ASSERT_EQ(task.PutState(4), KlpOk);
  }

  int GreenAt(int frame, int x, int y) { return rig_.Sink().Frames().at(frame).frame.Pixel(x, y)[1]; }

  BoardOutputRig rig_;
  std::unique_ptr<IKlpVTimeLine> video_;
};

// The first and last green column of row y within [0, 160), -1 when none.
std::pair<int, int> GreenSpan(const RgbFrame& frame, int y) {
  int first = -1;
  int last = -1;
  for (int x = 0; x < frame.width; ++x) {
    if (frame.Pixel(x, y)[1] > 128) {
      if (first < 0) first = x;
      last = x;
    }
  }
  return {first, last};
}

TEST_F(SoftwareBoardTitles, CrawlMovesThroughTheRegionAtItsSpeed) {
  for (std::int32_t direction : {0, 1}) {
    SCOPED_TRACE(direction);
    BoardOutputRig& rig = rig_;
    KlpMovableTitleParams params;
    params.speed = 50.0;  // 2 pixels a frame
    params.direction = direction;
    params.left = 20;
    params.top = 40;
    params.width = 100;
    params.height = 30;
    std::unique_ptr<IKlpMovableTitleTask> task;
    ASSERT_EQ(rig.Board().CreateMovableTitleTask(0, params, 1.0, 0.5, task), KlpOk);
    auto image = Picture("crawl.png", 20, 10, 255);
    ASSERT_EQ(task->AddEmpty(100), KlpOk);
    ASSERT_EQ(task->AddData(*image, 0, 20), KlpOk);
    ASSERT_EQ(task->AddEmpty(100), KlpOk);
    const std::size_t first = rig.Sink().Frames().size();
    Start(*task);
    for (int i = 0; i < 61; ++i) rig.Pump().Step();
    const auto& frames = rig.Sink().Frames();
    for (int n : {0, 5, 10, 30, 50, 55, 60}) {
      const RgbFrame& frame = frames.at(first + n).frame;
      // The image's near edge is 100 - 2n pixels from the region's leading side.
      const int from = std::max(0, 100 - 2 * n);
      const int to = std::min(100, 120 - 2 * n);
      std::pair<int, int> expected{-1, -1};
      if (to > from) {
        expected = direction == 0 ? std::pair{20 + from, 20 + to - 1} : std::pair{20 + 100 - to, 20 + 100 - from - 1};
      }
      EXPECT_EQ(GreenSpan(frame, 45), expected) << n;
      EXPECT_EQ(GreenSpan(frame, 51), (std::pair{-1, -1})) << "below the image, frame " << n;
    }
    task.reset();
    ASSERT_EQ(video_->Reset(0), KlpOk);
    ASSERT_EQ(video_->AddEmpty(6.0), KlpOk);
  }
}

TEST_F(SoftwareBoardTitles, VerticalCrawlEntersFromTheBottom) {
  KlpMovableTitleParams params;
  params.speed = 25.0;  // 1 pixel a frame
  params.direction = 2;
  params.left = 10;
  params.top = 20;
  params.width = 60;
  params.height = 50;
  std::unique_ptr<IKlpMovableTitleTask> task;
  ASSERT_EQ(rig_.Board().CreateMovableTitleTask(0, params, 1.0, 0.5, task), KlpOk);
  auto image = Picture("up.png", 20, 10, 255);
  ASSERT_EQ(task->AddEmpty(50), KlpOk);
  ASSERT_EQ(task->AddData(*image, 0, 10), KlpOk);
  Start(*task);
  for (int i = 0; i < 21; ++i) rig_.Pump().Step();
  // At frame 20 the image's top is 30 pixels below the region's top.
  EXPECT_GT(GreenAt(20, 15, 50), 128);
  EXPECT_GT(GreenAt(20, 15, 59), 128);
  EXPECT_LT(GreenAt(20, 15, 49), 10);
  EXPECT_LT(GreenAt(20, 15, 60), 10);
  EXPECT_LT(GreenAt(0, 15, 69), 10) << "still below the region";
  EXPECT_GT(GreenAt(5, 15, 65), 128) << "five rows in";
  EXPECT_LT(GreenAt(5, 15, 64), 10);
  EXPECT_LT(GreenAt(5, 15, 70), 10) << "cut at the region's bottom";
}

TEST_F(SoftwareBoardTitles, SlideFadesInAndOutWithItsAlpha) {
  KlpSlideTitleParams params{10, 10, 30, 30};
  std::unique_ptr<IKlpSlideTitleTask> task;
  ASSERT_EQ(rig_.Board().CreateSlideTitleTask(0, params, 1.0, 0.5, task), KlpOk);
  auto solid = Picture("solid.png", 40, 40, 255);
  auto half = Picture("half.png", 40, 40, 128);
  ASSERT_EQ(task->AddEmpty(0.2), KlpOk);
  ASSERT_EQ(task->AddData(*solid, 1.0, 0.4, 0.2), KlpOk);
  ASSERT_EQ(task->AddData(*half, 0.4, 0.0, 0.0), KlpOk);
  ASSERT_EQ(task->AddEmpty(0.04), KlpOk);
  double rest = 0.0;
  ASSERT_EQ(task->GetRestTime(rest), KlpOk);
  EXPECT_NEAR(rest, 1.64, 1e-9);
  Start(*task);
  for (int i = 0; i < 45; ++i) rig_.Pump().Step();
  ASSERT_EQ(task->GetRestTime(rest), KlpOk);
  EXPECT_NEAR(rest, 1.64 - 1.8, 1e-9);
  EXPECT_EQ(GreenAt(3, 20, 20), 0);                 // before the slide
  EXPECT_NEAR(GreenAt(5, 20, 20), 0, 2);            // its first frame: faded out
  EXPECT_NEAR(GreenAt(10, 20, 20), 125, 3);         // halfway through the fade-in
  EXPECT_NEAR(GreenAt(20, 20, 20), 250, 2);         // full
  EXPECT_NEAR(GreenAt(29, 20, 20), 50, 3);          // 0.04 s before the end of a 0.2 s fade-out
  EXPECT_EQ(GreenAt(20, 39, 20), 250);              // inside the region's right edge
  EXPECT_EQ(GreenAt(20, 40, 20), 0);                // scaled into the region, not past it
  EXPECT_NEAR(GreenAt(35, 20, 20), 125, 2);         // half alpha
  EXPECT_EQ(GreenAt(41, 20, 20), 0);                // the closing empty stretch
}

TEST_F(SoftwareBoardTitles, AFullFramePictureIsFittedIntoASmallerRegion) {
  // A lower third made for the whole 160 × 120 frame: clear above, green in
  // its bottom 40 rows. Cut to the region's corner it would show nothing.
  std::vector<std::uint8_t> rgba;
  for (int y = 0; y < 120; ++y) {
    for (int x = 0; x < 160; ++x) rgba.insert(rgba.end(), {0, 250, 0, static_cast<std::uint8_t>(y >= 80 ? 255 : 0)});
  }
  const std::string path = rig_.Dir().File("lower_third.png");
  ASSERT_TRUE(testing::WriteImagePixels(path, testing::ImageFormat::Png, 160, 120, rgba, testing::ImageAlpha::Keep));
  auto image = rig_.Image(path);
  KlpSlideTitleParams params{40, 30, 80, 40};
  std::unique_ptr<IKlpSlideTitleTask> task;
  ASSERT_EQ(rig_.Board().CreateSlideTitleTask(0, params, 1.0, 0.5, task), KlpOk);
  ASSERT_EQ(task->AddData(*image, 1.0, 0.0, 0.0), KlpOk);
  Start(*task);
  for (int i = 0; i < 3; ++i) rig_.Pump().Step();
  const RgbFrame& frame = rig_.Sink().Frames().at(2).frame;
  // A third of its size, 53 × 40, centred across the region and filling its
  // height: the green band lies in rows 57 to 69, columns 53 to 105.
  EXPECT_EQ(GreenSpan(frame, 60), (std::pair{53, 105}));
  EXPECT_EQ(GreenSpan(frame, 69), (std::pair{53, 105}));
  EXPECT_EQ(GreenSpan(frame, 50), (std::pair{-1, -1})) << "the clear part of the picture";
  EXPECT_EQ(GreenSpan(frame, 70), (std::pair{-1, -1})) << "below the region";
  EXPECT_EQ(GreenSpan(frame, 100), (std::pair{-1, -1})) << "where the picture's own lower third would be";
  EXPECT_EQ(TitlePicturePlace(160, 120, TitleRect{40, 30, 80, 40}), (TitleRect{53, 30, 53, 40}));
  EXPECT_EQ(TitlePicturePlace(20, 10, TitleRect{40, 30, 80, 40}), (TitleRect{40, 30, 20, 10})) << "fits as it is";
}

TEST_F(SoftwareBoardTitles, PreviewImageShowsFromNowAndStays) {
  KlpSlideTitleParams params{0, 0, 50, 50};
  std::unique_ptr<IKlpSlideTitleTask> task;
  ASSERT_EQ(rig_.Board().CreateSlideTitleTask(0, params, 1.0, 0.5, task), KlpOk);
  auto solid = Picture("solid.png", 40, 40, 255);
  ASSERT_EQ(task->AddEmpty(0.04), KlpOk);
  for (std::int32_t state : {2, 1}) ASSERT_EQ(task->PutState(state), KlpOk);
  Play(*video_);
  ASSERT_EQ(task->PutState(4), KlpOk);
  for (int i = 0; i < 5; ++i) rig_.Pump().Step();
  double rest = 0.0;
  ASSERT_EQ(task->GetRestTime(rest), KlpOk);
  EXPECT_LT(rest, 0.0);
  ASSERT_EQ(task->AddImage(*solid, 0.04), KlpOk);
  for (int i = 0; i < 4; ++i) rig_.Pump().Step();
  EXPECT_EQ(GreenAt(4, 10, 10), 0);
  EXPECT_GT(GreenAt(5, 10, 10), 240);
  EXPECT_GT(GreenAt(8, 10, 10), 240);
}

TEST_F(SoftwareBoardTitles, RefusesWhatItCannotShow) {
  KlpMovableTitleParams params;
  params.direction = 4;
  std::unique_ptr<IKlpMovableTitleTask> crawl;
  EXPECT_EQ(rig_.Board().CreateMovableTitleTask(0, params, 1.0, 0.5, crawl), KlpInvalidArgument);
  params.direction = 0;
  params.speed = 10.0;
  ASSERT_EQ(rig_.Board().CreateMovableTitleTask(0, params, 1.0, 0.5, crawl), KlpOk);
  EXPECT_EQ(crawl->AddEmpty(0), KlpInvalidArgument);
  auto image = Picture("x.png", 4, 4, 255);
  EXPECT_EQ(crawl->AddData(*image, -1, 4), KlpInvalidArgument);
  EXPECT_EQ(crawl->PutState(5), KlpInvalidArgument);
  std::unique_ptr<IKlpSlideTitleTask> slide;
  ASSERT_EQ(rig_.Board().CreateSlideTitleTask(0, KlpSlideTitleParams{0, 0, 10, 10}, 1.0, 0.5, slide), KlpOk);
  EXPECT_EQ(slide->AddData(*image, 0.0, 0.0, 0.0), KlpInvalidArgument);
  EXPECT_EQ(slide->AddData(*image, 1.0, -0.1, 0.0), KlpInvalidArgument);
  EXPECT_EQ(slide->AddEmpty(std::nan("")), KlpInvalidArgument);
}

TEST(TitleImageDrawing, RegionsNearTheIntegerLimitAndOpacitiesThatAreNoNumber) {
  RgbaPicture picture;
  picture.width = picture.height = 4;
  picture.pixels.assign(4 * 4 * 4, 255);  // opaque white
  const RgbFrame black(16, 8);

  // A region reaching to the integer limit still draws the picture where it is.
  RgbFrame frame = black;
  DrawTitleImage(picture, 10, 2, TitleRect{8, 0, std::numeric_limits<std::int32_t>::max(), 8}, 1.0, frame);
  EXPECT_EQ(frame.Pixel(10, 2)[0], 255);
  EXPECT_EQ(frame.Pixel(13, 5)[2], 255);
  EXPECT_EQ(frame.Pixel(9, 2)[0], 0);
  const TitleRect region{0, 0, 16, 8};
  frame = black;
  DrawTitleImage(picture, std::numeric_limits<std::int32_t>::max() - 1, 0, region, 1.0, frame);
  EXPECT_EQ(frame.pixels, black.pixels);

  // An opacity that is no number shows nothing rather than stray colours.
  frame = black;
  DrawTitleImage(picture, 0, 0, region, std::nan(""), frame);
  EXPECT_EQ(frame.pixels, black.pixels);
  DrawTitleImage(picture, 0, 0, region, 1e300, frame);
  EXPECT_EQ(frame.Pixel(0, 0)[1], 255);
}

}  // namespace
}  // namespace vantorelle
