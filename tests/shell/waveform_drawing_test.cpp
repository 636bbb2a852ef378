// The sound of a movie shows as a waveform in its clip on the audio track once
// its peaks are measured, and the level line bends down over a fade.
#include <QApplication>
#include <QImage>

#include "shell/editor_fixture.h"
#include "qt_bridge.h"
#include "track_area_widget.h"
#include "waveform_drawing.h"

namespace vantorelle::testing {
namespace {

class WaveformDrawing : public EditorFixture {
 protected:
  // Pixels of a colour inside the clip's outline as painted now.
  int PixelsOf(const CFilm& clip, const QColor& colour) {
    QApplication::processEvents();
    const QImage image = Area().grab().toImage();
    const auto shape = ShapeOf(clip);
    if (!shape) return -1;
    int count = 0;
    for (int y = shape->rect.top + 3; y < shape->rect.bottom - 4; ++y) {
      for (int x = std::max(shape->rect.left + 1, 0); x < std::min(shape->rect.right - 2, image.width()); ++x) {
        if (image.pixel(x, y) == colour.rgb()) ++count;
      }
    }
    return count;
  }

  CFilm* DropMovieWithSound() {
    CSrc* source = Collect(WriteMovie("movie.avi"));
    CTrack* video = FirstTrackOfKind(TrackKind::Video);
    CTrack* audio = FirstTrackOfKind(TrackKind::Audio);
    const auto row = RowOf(*video);
    if (!source || !audio || !row) return nullptr;
    if (!Area().Controller()->Drop(*source, 40, (row->rect.top + row->rect.bottom) / 2)) return nullptr;
    return audio->clips.empty() ? nullptr : audio->clips.front().get();
  }
};

TEST_F(WaveformDrawing, ASoundClipShowsItsWaveformOnceItsPeaksAreMeasured) {
  CFilm* sound = DropMovieWithSound();
  ASSERT_NE(sound, nullptr);
  const QColor waveform = shell::WaveformColour(shell::ToQColor(ShapeOf(*sound)->fill));
  // The sine of the test movie fills a band of the clip's width.
  ASSERT_TRUE(WaitFor([&] { return PixelsOf(*sound, waveform) > 200; }, 10000))
      << PixelsOf(*sound, waveform) << " waveform pixels";
  // A quieter clip draws a smaller waveform.
  const int loud = PixelsOf(*sound, waveform);
  sound->volume = 0.3;
  Area().update();
  EXPECT_LT(PixelsOf(*sound, waveform), loud * 2 / 3);
}

TEST_F(WaveformDrawing, TheLevelLineFallsToZeroOverTheFadeOut) {
  CFilm* sound = DropMovieWithSound();
  ASSERT_NE(sound, nullptr);
  const QColor line = shell::kLevelLine;
  const auto shape = ShapeOf(*sound);
  ASSERT_TRUE(shape.has_value());
  const int quarterX = shape->rect.left + (shape->rect.right - shape->rect.left) / 4;
  const int lastX = shape->rect.right - 5;
  const auto lineAt = [&](int x) {
    QApplication::processEvents();
    const QImage image = Area().grab().toImage();
    for (int y = shape->rect.top; y < shape->rect.bottom; ++y) {
      if (QColor(image.pixel(x, y)) == line) return y;
    }
    return -1;
  };
  const int level = lineAt(quarterX);
  ASSERT_GT(level, shape->rect.top);
  EXPECT_EQ(lineAt(lastX), level);
  sound->fadeOut = sound->duration / 2;
  Area().update();
  EXPECT_EQ(lineAt(quarterX), level);
  EXPECT_GT(lineAt(lastX), level + (shape->rect.bottom - level) / 2);
}

}  // namespace
}  // namespace vantorelle::testing
