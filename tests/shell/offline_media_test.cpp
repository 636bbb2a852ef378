// Offline media in the editor: a project whose movie went away keeps its
// clips, drawn hatched, and "Relink offline media..." finds the file again.
#include <QApplication>
#include <QImage>
#include <filesystem>

#include "offline_clip_drawing.h"
#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"
#include "track_area_widget.h"

namespace vantorelle::testing {
namespace {

class OfflineMedia : public EditorFixture {
 protected:
  // Pixels of the hatch colour inside a clip's shape as painted now.
  int HatchPixels(const CFilm& clip) {
    QApplication::processEvents();
    const QImage image = Area().grab().toImage();
    const auto shape = ShapeOf(clip);
    EXPECT_TRUE(shape.has_value());
    if (!shape) return 0;
    int count = 0;
    for (int y = shape->rect.top + 3; y < shape->rect.bottom - 3; ++y) {
      for (int x = shape->rect.left + 3; x < shape->rect.right - 3; ++x) {
        if (x < image.width() && y < image.height() && QColor(image.pixel(x, y)) == shell::kOfflineHatch) ++count;
      }
    }
    return count;
  }
};

TEST_F(OfflineMedia, ASkippedMovieKeepsItsHatchedClipsUntilRelinked) {
  CSrc* source = Collect(WriteMovie("movie.avi"));
  ASSERT_NE(source, nullptr);
  CTrack* video = FirstTrackOfKind(TrackKind::Video);
  const auto row = RowOf(*video);
  ASSERT_TRUE(row.has_value());
  ASSERT_TRUE(Area().Controller()->Drop(*source, 80, (row->rect.top + row->rect.bottom) / 2));
  const std::vector<ClipLayout> saved = LayoutOf(Doc());
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(HatchPixels(*video->clips.front()), 0);

  const std::string path = dir_.File("p.vrp");
  ui_.saveAnswers.push_back(path);
  Window().RunCommand(CommandId::SaveProjectAs);
  ASSERT_TRUE(std::filesystem::exists(path));
  std::filesystem::create_directories(dir_.File("moved"));
  std::filesystem::rename(dir_.File("movie.avi"), dir_.File("moved/movie.avi"));

  ui_.missingSourceAnswers.push_back({MissingSourceAnswer::Kind::Skip, {}, {}});
  Window().OpenProject(path);
  EXPECT_EQ(ui_.missingSourceRequests.size(), 1u);
  EXPECT_EQ(LayoutOf(Doc()), saved);
  ASSERT_EQ(Doc().sources.size(), 1u);
  EXPECT_TRUE(Doc().sources[0]->offline);
  video = FirstTrackOfKind(TrackKind::Video);
  ASSERT_FALSE(video->clips.empty());
  EXPECT_GT(HatchPixels(*video->clips.front()), 20);

  ui_.openAnswers.push_back(dir_.File("moved/movie.avi"));
  Window().RunCommand(CommandId::RelinkOfflineMedia);
  EXPECT_FALSE(Doc().sources[0]->offline);
  EXPECT_EQ(Doc().sources[0]->path, dir_.File("moved/movie.avi"));
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_EQ(LayoutOf(Doc()).size(), saved.size());
  EXPECT_EQ(HatchPixels(*video->clips.front()), 0);
}

}  // namespace
}  // namespace vantorelle::testing
