// The main window's project round trip, its dialogs and playback.
#include <QApplication>
#include <filesystem>

#include "shell/editor_fixture.h"
#include "timeline/command_ids.h"
#include "track_area_widget.h"

namespace vantorelle::testing {
namespace {

class MainWindowProject : public EditorFixture {
 protected:
  // The movie dropped on the first video track; its video clip.
  CFilm& PlaceMovie(int x) {
    CSrc* source = Doc().FindSourceByPath(dir_.File("movie.avi"));
    if (!source) source = Collect(WriteMovie("movie.avi"));
    EXPECT_NE(source, nullptr);
    CTrack* video = FirstTrackOfKind(TrackKind::Video);
    const auto row = RowOf(*video);
    EXPECT_TRUE(row.has_value());
    const int y = (row->rect.top + row->rect.bottom) / 2;
    EXPECT_TRUE(Area().Controller()->Drop(*source, x, y));
    QApplication::processEvents();
    EXPECT_FALSE(video->clips.empty());
    return *video->clips.back();
  }
};

TEST_F(MainWindowProject, SavedProjectReopensWithTheSameClips) {
  const CFilm& first = PlaceMovie(80);
  PlaceMovie(ShapeOf(first)->rect.right + 20);  // the same source again: a second clip of it
  const std::vector<ClipLayout> saved = LayoutOf(Doc());
  ASSERT_GE(saved.size(), 4u);  // two video clips, two sound clips

  const std::string path = dir_.File("round trip.vrp");
  ui_.saveAnswers.push_back(path);
  Window().RunCommand(CommandId::SaveProjectAs);
  ASSERT_EQ(ui_.saveRequests.size(), 1u);
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(Window().windowTitle(), "round trip.vrp - Vantorelle");

  Window().RunCommand(CommandId::NewProject);
  EXPECT_TRUE(ui_.messages.empty()) << "a saved project asked to be saved again";
  EXPECT_TRUE(LayoutOf(Doc()).empty());
  EXPECT_EQ(Window().windowTitle(), "Untitled - Vantorelle");

  Window().OpenProject(path);
  EXPECT_EQ(Doc().ProjectPath(), path);
  EXPECT_EQ(LayoutOf(Doc()), saved);
  EXPECT_EQ(Doc().timeline.tracks.size(), 6u);
  EXPECT_EQ(Doc().sources.size(), 1u);
  EXPECT_EQ(Window().windowTitle(), "round trip.vrp - Vantorelle");
  EXPECT_EQ(Picture().rows.size(), 6u);
}

TEST_F(MainWindowProject, SettingsDialogsOpenAndCloseWithoutChangingTheProject) {
  PlaceMovie(80);
  const std::vector<ClipLayout> before = LayoutOf(Doc());
  const DocumentPreferences preferences = Doc().preferences;

  const auto settings = RunClosingDialog(CommandId::Settings);
  ASSERT_TRUE(settings.has_value()) << "no dialog showed for Settings";
  EXPECT_FALSE(settings->isEmpty());
  const auto titles = RunClosingDialog(CommandId::TitleTrackSettings);
  ASSERT_TRUE(titles.has_value()) << "no dialog showed for Title track settings";
  EXPECT_FALSE(titles->isEmpty());

  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(LayoutOf(Doc()), before);
  EXPECT_EQ(Doc().preferences.playbackStartType, preferences.playbackStartType);
  EXPECT_EQ(Doc().preferences.timeDisplayMode, preferences.timeDisplayMode);
  EXPECT_EQ(Picture().rows.size(), 6u);
}

TEST_F(MainWindowProject, PlayingARangeMovesTheTimeMarkOn) {
  const CFilm& clip = PlaceMovie(80);
  ASSERT_EQ(Doc().preferences.playbackStartType, 1) << "the wait box would block the run";
  Doc().times.timeMark = clip.start;
  Doc().times.rangeStart = clip.start;
  Doc().times.rangeStop = clip.start + 1000.0;

  Window().RunCommand(CommandId::Play);
  const bool advanced = WaitFor([&] { return Doc().times.timeMark > clip.start; }, 3000);
  Window().RunCommand(CommandId::Stop);
  QApplication::processEvents();

  EXPECT_TRUE(advanced) << "the time mark stayed at " << Doc().times.timeMark;
  EXPECT_LE(Doc().times.timeMark, clip.start + 1000.0 + 40.0);
  EXPECT_TRUE(ui_.messages.empty()) << ::testing::PrintToString(ui_.MessageTexts());
}

}  // namespace
}  // namespace vantorelle::testing
