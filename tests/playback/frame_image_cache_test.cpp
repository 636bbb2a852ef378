// The frame-image cache and the thumbnail shrink: filing, nearest and exact
// lookups, the still-image rules and trimming by age across sources.
#include "playback/frame_image_cache.h"

#include <gtest/gtest.h>

#include "playback/frame_image_shrink.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::VideoStandardScope;

std::vector<std::uint8_t> Solid(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
  for (std::size_t i = 0; i < pixels.size(); i += 3) {
    pixels[i] = r;
    pixels[i + 1] = g;
    pixels[i + 2] = b;
  }
  return pixels;
}

const std::uint8_t* At(const std::vector<std::uint8_t>& image, int x, int y) {
  return image.data() + static_cast<std::size_t>(y) * FrameImageRowBytes(kFrameImageWidth) + x * 3;
}

TEST(FrameImageShrink, KeepsAnEvenColourAndFillsTheThumbnail) {
  const auto source = Solid(320, 240, 10, 128, 250);
  auto image = ShrinkToFrameImage(source.data(), source.size(), 320, 240, 320 * 3);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), static_cast<std::size_t>(FrameImageRowBytes(64)) * 48);
  for (auto [x, y] : {std::pair{0, 0}, {63, 47}, {31, 20}}) {
    EXPECT_EQ(At(*image, x, y)[0], 10);
    EXPECT_EQ(At(*image, x, y)[1], 128);
    EXPECT_EQ(At(*image, x, y)[2], 250);
  }
}

TEST(FrameImageShrink, WeighsEdgePixelsByTheCoveredFraction) {
  // 96 columns to 64: each target covers 1.5 source columns. Columns
  // alternate 0 and 255, so target 0 sees 0 + 0.5 × 255 and target 1 sees
  // 0.5 × 255 + 0, both over 1.5; target 2 covers 255 whole and 0 half.
  const int width = 96;
  const int height = 48;
  std::vector<std::uint8_t> source(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t v = x % 2 ? 255 : 0;
      for (int c = 0; c < 3; ++c) source[(static_cast<std::size_t>(y) * width + x) * 3 + c] = v;
    }
  }
  auto image = ShrinkToFrameImage(source.data(), source.size(), width, height, width * 3);
  ASSERT_TRUE(image);
  EXPECT_EQ(At(*image, 0, 10)[0], 85);
  EXPECT_EQ(At(*image, 1, 10)[0], 85);
  EXPECT_EQ(At(*image, 2, 10)[0], 170);
}

TEST(FrameImageShrink, AveragesWholeBlocksAndHonoursTheSourceRowStride) {
  // 128 × 96 to 64 × 48: each target is the mean of a 2 × 2 block. Rows carry
  // 4 padding bytes that must be skipped.
  const int width = 128;
  const int height = 96;
  const int stride = width * 3 + 4;
  std::vector<std::uint8_t> source(static_cast<std::size_t>(stride) * height, 0xEE);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &source[static_cast<std::size_t>(y) * stride + x * 3];
      p[0] = static_cast<std::uint8_t>((x % 2) * 100 + (y % 2) * 50);  // block mean 75
      p[1] = x < 64 ? 0 : 200;
      p[2] = 7;
    }
  }
  auto image = ShrinkToFrameImage(source.data(), source.size(), width, height, stride);
  ASSERT_TRUE(image);
  EXPECT_EQ(At(*image, 5, 5)[0], 75);
  EXPECT_EQ(At(*image, 31, 5)[1], 0);
  EXPECT_EQ(At(*image, 32, 5)[1], 200);
  EXPECT_EQ(At(*image, 63, 47)[2], 7);
}

TEST(FrameImageShrink, StretchesASmallPicture) {
  std::vector<std::uint8_t> source = Solid(2, 1, 0, 0, 0);
  source[3] = 240;  // right pixel
  auto image = ShrinkToFrameImage(source.data(), source.size(), 2, 1, 6);
  ASSERT_TRUE(image);
  EXPECT_EQ(At(*image, 0, 0)[0], 0);
  EXPECT_EQ(At(*image, 31, 47)[0], 0);
  EXPECT_EQ(At(*image, 32, 0)[0], 240);
  EXPECT_EQ(At(*image, 63, 47)[0], 240);
}

TEST(FrameImageShrink, GivesUpOnAnEmptyOrShortPicture) {
  const auto source = Solid(10, 10, 1, 2, 3);
  EXPECT_FALSE(ShrinkToFrameImage(source.data(), source.size(), 0, 10, 30));
  EXPECT_FALSE(ShrinkToFrameImage(source.data(), source.size() - 1, 10, 10, 30));
  EXPECT_FALSE(ShrinkToFrameImage(source.data(), source.size(), 10, 10, 20));
  EXPECT_FALSE(ShrinkToFrameImage(nullptr, 0, 10, 10, 30));
}

TEST(FrameImageSizes, RowsArePaddedAndTheLimitFollowsTheSize) {
  EXPECT_EQ(FrameImageRowBytes(64), 192);
  EXPECT_EQ(FrameImageRowBytes(5), 16);
  EXPECT_EQ(FrameImageRowBytes(1), 4);
  EXPECT_EQ(kFrameImageCacheLimit, 1731u);
  EXPECT_EQ(FrameImageCacheLimit(32, 24), 16'000'000u / ((32 * 24 + 8) * 3));
  EXPECT_DOUBLE_EQ(CFrameImageCache::HalfTileSpanFor(10'000.0, 641), 500.0);
}

// A cache with a hand-driven clock and a counted request signal.
class FrameImageCacheTest : public ::testing::Test {
 protected:
  FrameImageCacheTest() : cache_([this] { return now_; }) {
    cache_.SetRequestSignal([this] { ++signals_; });
    movie_.flags = SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream;
    other_.flags = movie_.flags;
    still_.flags = SourceFlags::VideoStream;
    sound_.flags = SourceFlags::MovieFile | SourceFlags::AudioStream;
    for (CSrc* s : {&movie_, &other_, &still_, &sound_}) cache_.RegisterSource(*s);
  }

  static FrameRequest Picture(const CSrc& source, TimeMs time, std::uint8_t mark = 1) {
    FrameRequest request = MakeFrameRequest(source, time);
    request.pixels.assign(static_cast<std::size_t>(FrameImageRowBytes(64)) * 48, mark);
    return request;
  }

  std::vector<TimeMs> Times(const CSrc& source) const {
    std::vector<TimeMs> times;
    for (const CFrameImage& image : cache_.Bucket(source)->images) times.push_back(image.time);
    return times;
  }

  VideoStandardScope standard_{VideoStandard{}};  // 25 frames a second: 40 ms a frame
  std::uint32_t now_ = 1000;
  int signals_ = 0;
  CFrameImageCache cache_;
  CSrc movie_{"/media/a.avi", "a.avi"};
  CSrc other_{"/media/b.avi", "b.avi"};
  CSrc still_{"/media/logo.png", "logo.png"};
  CSrc sound_{"/media/voice.wav", "voice.wav"};
};

TEST_F(FrameImageCacheTest, RegistersEachSourceOnceAndForgetsItWithItsPictures) {
  EXPECT_FALSE(cache_.RegisterSource(movie_));
  EXPECT_EQ(cache_.BucketCount(), 4u);
  ASSERT_TRUE(cache_.Store(Picture(movie_, 0)));
  ASSERT_TRUE(cache_.Store(Picture(other_, 0)));
  cache_.UnregisterSource(movie_);
  EXPECT_EQ(cache_.Bucket(movie_), nullptr);
  EXPECT_EQ(cache_.PictureCount(), 1u);
  EXPECT_FALSE(cache_.Store(Picture(movie_, 40)));  // no bucket any more
  EXPECT_EQ(cache_.Lookup(movie_, 0, false), nullptr);
  cache_.ClearAll();
  EXPECT_EQ(cache_.BucketCount(), 0u);
  EXPECT_EQ(cache_.PictureCount(), 0u);
}

TEST_F(FrameImageCacheTest, FilesMoviePicturesInTimeOrderWithTheirFacts) {
  for (TimeMs t : {400.0, 0.0, 1200.0, 400.0, 800.0}) ASSERT_TRUE(cache_.Store(Picture(movie_, t)));
  EXPECT_EQ(Times(movie_), (std::vector<TimeMs>{0, 400, 400, 800, 1200}));
  const CFrameImage& first = cache_.Bucket(movie_)->images.front();
  EXPECT_EQ(first.source, &movie_);
  EXPECT_EQ(first.created, 1000u);
  EXPECT_EQ(first.pixels.size(), 192u * 48);
}

TEST_F(FrameImageCacheTest, DropsEmptyResultsAndSourcesWithoutPictures) {
  FrameRequest empty = MakeFrameRequest(movie_, 0);
  EXPECT_FALSE(cache_.Store(std::move(empty)));
  EXPECT_FALSE(cache_.Store(Picture(sound_, 0)));
  CSrc unknown("/media/x.dat", "x.dat");
  cache_.RegisterSource(unknown);
  EXPECT_FALSE(cache_.Store(Picture(unknown, 0)));
  // Made from the file the source named when it was asked for.
  FrameRequest stale = Picture(movie_, 0);
  stale.path = "/media/old.avi";
  EXPECT_FALSE(cache_.Store(std::move(stale)));
  EXPECT_EQ(cache_.PictureCount(), 0u);
}

TEST_F(FrameImageCacheTest, LookupGivesTheNearerPictureAndAsksForBetter) {
  cache_.SetHalfTileSpan(400.0);  // pictures within 200 ms are close enough
  ASSERT_TRUE(cache_.Store(Picture(movie_, 1000, 1)));
  ASSERT_TRUE(cache_.Store(Picture(movie_, 2000, 2)));
  const CFrameImage* found = cache_.Lookup(movie_, 1400, false);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->time, 1000);
  EXPECT_EQ(signals_, 1);  // 400 ms off: shown, and a better one asked for
  found = cache_.Lookup(movie_, 1900, false);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->pixels[0], 2);
  EXPECT_EQ(signals_, 1);  // 100 ms off is close enough
  EXPECT_EQ(cache_.Lookup(movie_, 9000, false)->time, 2000);
  EXPECT_EQ(cache_.Lookup(movie_, -500, false)->time, 1000);
}

TEST_F(FrameImageCacheTest, ExactLookupAllowsOneFrameAtMost) {
  ASSERT_TRUE(cache_.Store(Picture(movie_, 1000)));
  ASSERT_TRUE(cache_.Store(Picture(movie_, 2000)));
  ASSERT_NE(cache_.Lookup(movie_, 1040, true), nullptr);
  ASSERT_NE(cache_.Lookup(movie_, 1960, true), nullptr);
  EXPECT_EQ(signals_, 0);
  EXPECT_EQ(cache_.Lookup(movie_, 1041, true), nullptr);
  EXPECT_EQ(signals_, 1);
  EXPECT_TRUE(cache_.HasNear(movie_, 960));
  EXPECT_FALSE(cache_.HasNear(movie_, 959));
  EXPECT_FALSE(cache_.HasNear(other_, 1000));
}

TEST_F(FrameImageCacheTest, AnEmptyBucketAsksForWork) {
  EXPECT_EQ(cache_.Lookup(movie_, 0, false), nullptr);
  EXPECT_EQ(cache_.Lookup(still_, 0, true), nullptr);
  EXPECT_EQ(signals_, 2);
  CSrc unregistered("/media/c.avi", "c.avi");
  unregistered.flags = movie_.flags;
  EXPECT_EQ(cache_.Lookup(unregistered, 0, false), nullptr);
  EXPECT_EQ(signals_, 2);  // not the cache's business
}

TEST_F(FrameImageCacheTest, AStillImageKeepsTwoPicturesAndIsDrawnFromItsFirst) {
  ASSERT_TRUE(cache_.Store(Picture(still_, 500, 1)));
  EXPECT_TRUE(cache_.HasNear(still_, 90'000));  // one picture serves every time
  ASSERT_TRUE(cache_.Store(Picture(still_, 100, 2)));
  EXPECT_TRUE(cache_.Store(Picture(still_, 0, 3)));  // taken, and dropped
  EXPECT_EQ(Times(still_), (std::vector<TimeMs>{500, 100}));
  EXPECT_EQ(cache_.PictureCount(), 2u);
  EXPECT_EQ(cache_.Lookup(still_, 100, true)->pixels[0], 1);
  EXPECT_EQ(cache_.Lookup(still_, 77'777, true)->pixels[0], 1);
  EXPECT_EQ(signals_, 0);
}

TEST_F(FrameImageCacheTest, AFullCacheLetsTheOldestGoWhateverTheirSource) {
  // Pictures of b.avi are the oldest, then those of a.avi.
  for (std::size_t i = 0; i < 10; ++i) {
    now_ = 100 + static_cast<std::uint32_t>(i);
    ASSERT_TRUE(cache_.Store(Picture(other_, static_cast<TimeMs>(i) * 40)));
  }
  for (std::size_t i = 10; i < kFrameImageCacheLimit; ++i) {
    now_ = 1000 + static_cast<std::uint32_t>(i);
    ASSERT_TRUE(cache_.Store(Picture(movie_, static_cast<TimeMs>(i) * 40)));
  }
  ASSERT_EQ(cache_.PictureCount(), kFrameImageCacheLimit);
  now_ = 5000;
  ASSERT_TRUE(cache_.Store(Picture(still_, 0)));
  // 16 left: all 10 of b.avi, then the 6 oldest of a.avi.
  EXPECT_EQ(cache_.PictureCount(), kFrameImageCacheLimit - 16 + 1);
  EXPECT_TRUE(cache_.Bucket(other_)->images.empty());
  EXPECT_EQ(cache_.Bucket(movie_)->images.front().time, 16 * 40);
  EXPECT_EQ(cache_.Bucket(still_)->images.size(), 1u);
  // Below the limit nothing more goes.
  ASSERT_TRUE(cache_.Store(Picture(other_, 0)));
  EXPECT_EQ(cache_.PictureCount(), kFrameImageCacheLimit - 16 + 2);
}

TEST_F(FrameImageCacheTest, AgeIsMeasuredAcrossTheTickWrapping) {
  // Stored just before the 32-bit tick wraps: older than those stored after.
  now_ = 0xFFFFFF00u;
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(cache_.Store(Picture(other_, i * 40)));
  now_ = 10;
  for (std::size_t i = 16; i < kFrameImageCacheLimit; ++i) {
    ASSERT_TRUE(cache_.Store(Picture(movie_, static_cast<TimeMs>(i) * 40)));
  }
  now_ = 20;
  ASSERT_TRUE(cache_.Store(Picture(movie_, 0)));
  EXPECT_TRUE(cache_.Bucket(other_)->images.empty());
  EXPECT_EQ(cache_.Bucket(movie_)->images.size(), kFrameImageCacheLimit - 16 + 1);
}

TEST_F(FrameImageCacheTest, FirstMissingSkipsWhatIsThereAndWhatCannotBeMade) {
  ASSERT_TRUE(cache_.Store(Picture(movie_, 0)));
  ASSERT_TRUE(cache_.Store(Picture(still_, 0)));
  CSrc unregistered("/media/c.avi", "c.avi");
  unregistered.flags = movie_.flags;
  const std::vector<WantedFrameImage> wanted = {
      {&movie_, 20}, {&still_, 5000}, {&sound_, 0}, {&unregistered, 0}, {&movie_, 800}, {&other_, 0}};
  auto missing = cache_.FirstMissing(wanted);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->source, &movie_);
  EXPECT_EQ(missing->time, 800);
  EXPECT_FALSE(cache_.FirstMissing({{&movie_, 40}, {&still_, 1}}));
}

// What the view hands the worker after a picture under way: that picture and
// whatever lies within a frame of it count as there, of its source only.
TEST_F(FrameImageCacheTest, FirstMissingAfterAComingPictureSkipsItAndItsNeighbours) {
  ASSERT_TRUE(cache_.Store(Picture(movie_, 0)));
  const std::vector<WantedFrameImage> wanted = {{&movie_, 0}, {&movie_, 400}, {&movie_, 430}, {&other_, 400},
                                                {&movie_, 800}};
  auto missing = cache_.FirstMissing(wanted, {&movie_, 410});
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->source, &other_);
  EXPECT_EQ(missing->time, 400);
  missing = cache_.FirstMissing(wanted, {&other_, 390});
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->source, &movie_);
  EXPECT_EQ(missing->time, 400);
  missing = cache_.FirstMissing({{&still_, 0}, {&movie_, 800}, {&still_, 3000}}, {&still_, 5000});
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->time, 800);
  EXPECT_FALSE(cache_.FirstMissing({{&movie_, 0}, {&movie_, 800}}, {&movie_, 760}));
}

// What the view hands the worker after several pictures under way: the next
// ones missing, in the order wanted, each counting as coming for the later
// ones, so neighbours within a frame are asked for once.
TEST_F(FrameImageCacheTest, MissingListsTheNextPicturesBesidesThoseComing) {
  ASSERT_TRUE(cache_.Store(Picture(movie_, 0)));
  const std::vector<WantedFrameImage> wanted = {{&movie_, 0},   {&movie_, 400}, {&movie_, 800}, {&movie_, 810},
                                                {&still_, 0},   {&still_, 900}, {&other_, 400}, {&movie_, 1200},
                                                {&movie_, 1600}};
  const std::vector<WantedFrameImage> coming = {{&movie_, 410}, {&other_, 1000}};
  const auto times = [](const std::vector<WantedFrameImage>& list) {
    std::vector<std::pair<const CSrc*, TimeMs>> out;
    for (const WantedFrameImage& each : list) out.emplace_back(each.source, each.time);
    return out;
  };
  using Pairs = std::vector<std::pair<const CSrc*, TimeMs>>;
  EXPECT_EQ(times(cache_.Missing(wanted, coming, 4)),
            (Pairs{{&movie_, 800}, {&still_, 0}, {&other_, 400}, {&movie_, 1200}}));
  EXPECT_EQ(times(cache_.Missing(wanted, coming, 10)),
            (Pairs{{&movie_, 800}, {&still_, 0}, {&other_, 400}, {&movie_, 1200}, {&movie_, 1600}}));
  EXPECT_EQ(times(cache_.Missing(wanted, {{&still_, 0}, {&movie_, 800}}, 2)),
            (Pairs{{&movie_, 400}, {&other_, 400}}));
  EXPECT_TRUE(cache_.Missing(wanted, coming, 0).empty());
}

TEST_F(FrameImageCacheTest, AnOfflineSourceIsNeverAskedForUntilItIsRelinked) {
  other_.offline = true;
  EXPECT_FALSE(cache_.FirstMissing({{&other_, 0}, {&other_, 4000}}));
  const auto missing = cache_.FirstMissing({{&other_, 0}, {&movie_, 80}});
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->source, &movie_);
  other_.offline = false;
  ASSERT_TRUE(cache_.FirstMissing({{&other_, 0}}));
}

}  // namespace
}  // namespace vantorelle
