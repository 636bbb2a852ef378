// Which pictures the idle preview shows at a mark when clips with
// transparent parts lie on the video tracks: as in playback, the topmost
// transparent clip under the mark is laid over the topmost opaque clip
// below it; an opaque clip above hides it, and with nothing opaque under it
// it shows alone.
#include "playback/play_engine_preview.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

class StillOfKnownTransparency : public IKlpPlayStillImage {
 public:
  explicit StillOfKnownTransparency(bool transparent) : transparent_(transparent) {}
  KlpResult OpenFile(const std::string&, std::int32_t) override { return KlpOk; }
  bool HasTransparency() const override { return transparent_; }

 private:
  bool transparent_;
};

class PreviewPicturesTest : public ::testing::Test {
 protected:
  PreviewPicturesTest() {
    // Three video tracks, the first on top.
    for (int i = 0; i < 3; ++i) tracks_.push_back(std::make_unique<CTrack>(TrackTypes::Video, 48));
  }

  const CMovieMapItem* Source(const std::string& path, bool transparent) {
    sources_.push_back(std::make_unique<CSrc>(path, path));
    auto item = std::make_unique<CMovieMapItem>();
    item->fileName = path;
    item->stillImage = std::make_unique<StillOfKnownTransparency>(transparent);
    map_.Set(std::move(item));
    return map_.Find(path);
  }

  void Place(std::size_t track, const std::string& path, TimeMs start, TimeMs duration, TimeMs in = 0.0) {
    CSrc* source = nullptr;
    for (const auto& each : sources_) {
      if (each->path == path) source = each.get();
    }
    auto clip = std::make_unique<CFilm>(source);
    clip->start = start;
    clip->duration = duration;
    clip->inPoint = in;
    clip->sourceLength = 10000.0;
    clip->flags = SourceFlags::VideoStream;
    tracks_.at(track)->InsertInOrder(std::move(clip));
  }

  std::optional<PreviewPictures> At(TimeMs mark) {
    std::vector<const CTrack*> included;
    for (const auto& track : tracks_) included.push_back(track.get());
    return ChoosePreviewPictures(included, mark, map_);
  }

  testing::VideoStandardScope pal_{VideoStandard{}};
  std::vector<std::unique_ptr<CSrc>> sources_;
  std::vector<std::unique_ptr<CTrack>> tracks_;
  CMovieMap map_;
};

TEST_F(PreviewPicturesTest, TheTopmostTransparentClipIsLaidOverTheTopmostOpaqueClipBelow) {
  const CMovieMapItem* glass = Source("/m/glass.png", true);
  const CMovieMapItem* tint = Source("/m/tint.png", true);
  const CMovieMapItem* movie = Source("/m/movie.png", false);
  Place(0, "/m/glass.png", 0.0, 1000.0, 200.0);
  Place(1, "/m/tint.png", 0.0, 3000.0);
  Place(2, "/m/movie.png", 0.0, 2000.0, 400.0);

  // Both transparent clips over the movie: the upper one is laid over it.
  auto pictures = At(520.0);
  ASSERT_TRUE(pictures);
  EXPECT_EQ(pictures->below.item, movie);
  EXPECT_EQ(pictures->below.sourceFrame, 23);  // (520 + 400) / 40
  ASSERT_TRUE(pictures->over);
  EXPECT_EQ(pictures->over->item, glass);
  EXPECT_EQ(pictures->over->sourceFrame, 18);  // (520 + 200) / 40

  // After the upper one, the lower one.
  pictures = At(1500.0);
  ASSERT_TRUE(pictures && pictures->over);
  EXPECT_EQ(pictures->over->item, tint);
  EXPECT_EQ(pictures->below.item, movie);

  // Nothing opaque under the mark: the transparent clip alone.
  pictures = At(2500.0);
  ASSERT_TRUE(pictures);
  EXPECT_EQ(pictures->below.item, tint);
  EXPECT_FALSE(pictures->over);
}

TEST_F(PreviewPicturesTest, AnOpaqueClipAboveHidesTheTransparentOneAndAnOpaqueClipShowsAlone) {
  const CMovieMapItem* cover = Source("/m/cover.png", false);
  Source("/m/glass.png", true);
  const CMovieMapItem* movie = Source("/m/movie.png", false);
  Place(0, "/m/cover.png", 0.0, 1000.0);
  Place(1, "/m/glass.png", 0.0, 2000.0);
  Place(2, "/m/movie.png", 0.0, 3000.0);

  auto pictures = At(400.0);
  ASSERT_TRUE(pictures);
  EXPECT_EQ(pictures->below.item, cover);
  EXPECT_FALSE(pictures->over);
  pictures = At(2400.0);
  ASSERT_TRUE(pictures);
  EXPECT_EQ(pictures->below.item, movie);
  EXPECT_FALSE(pictures->over);
  // Past every clip: a clip's last frame, nothing laid over.
  pictures = At(5000.0);
  ASSERT_TRUE(pictures);
  EXPECT_FALSE(pictures->over);
}

}  // namespace
}  // namespace vantorelle
