// Title pictures in the windows: a title clip's one thumbnail at its end,
// and the "Title Track Settings" preview drawing a slide region's picture
// where the board puts it.
#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "document/document_settings.h"
#include "frame_pictures.h"
#include "shell/editor_fixture.h"
#include "support/test_media_writer.h"
#include "timeline/command_ids.h"
#include "timeline/work_area_view.h"
#include "titles/title_region.h"

namespace vantorelle::testing {
namespace {

TEST(TitleClipThumbnail, OneTileAtTheEndOfAWideEnoughTitleClip) {
  CSrc picture("/titles/lower_third.png", "lower_third.png");
  picture.flags = SourceFlags::VideoStream;
  CTrack slides(TrackTypes::TitleSlide, 48);
  CFilm clip(&picture);
  clip.track = &slides;
  clip.duration = 5000.0;
  const WorkAreaView view(WorkArea{0.0, 10000.0}, 1001);
  const PixelRect wide{100, 20, 400, 68};
  const auto tiles = shell::PictureTilesOf(clip, wide, view, SnapshotsType::Default);
  ASSERT_EQ(tiles.size(), 1u);
  EXPECT_EQ(tiles[0].clip, &clip);
  EXPECT_EQ(tiles[0].rect, (PixelRect{397 - 56, 23, 397, 65})) << "42 high, 4:3, inside the clip's end";
  EXPECT_TRUE(shell::PictureTilesOf(clip, PixelRect{100, 20, 180, 68}, view, SnapshotsType::Default).empty())
      << "no room for the name beside it";
  EXPECT_TRUE(shell::PictureTilesOf(clip, wide, view, static_cast<std::uint16_t>(SnapshotsType::MovieEveryFrame | SnapshotsType::ImageNone))
                  .empty())
      << "pictures of images are switched off";
  picture.flags = SourceFlags::AudioStream;
  EXPECT_TRUE(shell::PictureTilesOf(clip, wide, view, SnapshotsType::Default).empty());
}

class TitleSettingsPreview : public EditorFixture {};

TEST_F(TitleSettingsPreview, TheSlideRegionShowsItsPictureFittedIn) {
  // A full-frame red picture on the slide track, whose region is 200 × 100
  // at the frame's corner: it shows as 125 × 100, centred across.
  const std::string path = dir_.File("red.png");
  ASSERT_TRUE(WriteImage(path, ImageFormat::Png, 720, 576, Rgb{255, 0, 0}));
  CSrc* source = Collect(path);
  ASSERT_NE(source, nullptr);
  CTrack* slides = FirstTrackOfKind(TrackKind::TitleSlide);
  ASSERT_NE(slides, nullptr);
  auto clip = std::make_unique<CFilm>(source);
  clip->duration = 5000.0;
  clip->sourceLength = 5000.0;
  slides->InsertInOrder(std::move(clip));

  QImage shown;
  QTimer grabber;
  grabber.setInterval(20);
  QObject::connect(&grabber, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    grabber.stop();
    const FrameSize half = PreviewSize(CurrentFrameSize());
    for (QWidget* child : dialog->findChildren<QWidget*>()) {
      if (child->size() == QSize(half.width, half.height)) shown = child->grab().toImage();
    }
    dialog->reject();
  });
  grabber.start();
  Window().RunCommand(CommandId::TitleTrackSettings);
  grabber.stop();
  ASSERT_FALSE(shown.isNull()) << "no preview found";
  // Preview pixels: the picture spans 18..80 across and 0..49 down.
  EXPECT_EQ(shown.pixelColor(50, 25), QColor(255, 0, 0));
  EXPECT_EQ(shown.pixelColor(20, 40), QColor(255, 0, 0));
  EXPECT_NE(shown.pixelColor(10, 25), QColor(255, 0, 0)) << "left of the picture, in the region";
  EXPECT_NE(shown.pixelColor(90, 25), QColor(255, 0, 0)) << "right of the picture, in the region";
}

}  // namespace
}  // namespace vantorelle::testing
