// One editor session going from project to project of different formats:
// the video standard, the board's output, the boards made for playback and
// the preview window follow each project as it opens.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>


#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QSpinBox>
#include <QTest>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "model/video_format.h"
#include "shell/editor_fixture.h"
#include "support/document_fixture.h"
#include "support/test_media_writer.h"
#include "timeline/command_ids.h"
#include "preview_window.h"
#include "track_area_widget.h"
#include "video_format_dialog_window.h"

namespace vantorelle {
namespace {

class MainWindowFormat : public testing::EditorFixture {
 protected:
  // An empty project saved in the format, away from the editor's document.
  std::string SaveEmptyProject(const std::string& name, const VideoFormat& format) {
    const VideoStandard running = CurrentVideoStandard();
    const std::string path = dir_.File(name);
    {
      testing::TestDocument project;
      HeadlessDocumentViews views;
      project.doc.AttachViews(&views);
      SetVideoStandard(StandardOf(format));
      EXPECT_TRUE(SaveProjectFile(project.doc, path));
    }
    SetVideoStandard(running);
    return path;
  }

  // What the running board and the boards made from now on say of their format.
  VideoFormat BoardFormat() {
    std::unique_ptr<IKlpBoard> board;
    EXPECT_EQ(Board().factory->CreateBoard(board), KlpOk);
    std::int32_t width = 0;
    std::int32_t height = 0;
    double rate = 0.0;
    EXPECT_EQ(board->GetVideoFormat(0, width, height, &rate), KlpOk);
    const SoftwareBoardFormat& output = Board().wiring->output->Format();
    EXPECT_EQ(output.width, width);
    EXPECT_EQ(output.height, height);
    return VideoFormat{width, height, static_cast<std::int32_t>(rate * 1000.0 + 0.5)};
  }

  shell::PreviewWindow& PreviewShown() {
    auto* preview = dynamic_cast<shell::PreviewWindow*>(Window().Preview());
    EXPECT_NE(preview, nullptr);
    return *preview;
  }

  // The idle preview shows a picture of the format, not the black of a
  // freshly sized one.
  bool PreviewShowsAPictureOf(const VideoFormat& format) {
    return WaitFor(
        [&] {
          const QImage picture = PreviewShown().ShownPicture();
          if (picture.width() != format.width || picture.height() != format.height) return false;
          for (int y = 0; y < picture.height(); y += 8) {
            for (int x = 0; x < picture.width(); x += 8) {
              if (qGray(picture.pixel(x, y)) > 40) return true;
            }
          }
          return false;
        },
        10000);
  }

  void ExpectRunningIn(const VideoFormat& format) {
    EXPECT_EQ(FormatOf(CurrentVideoStandard()), format);
    EXPECT_EQ(BoardFormat(), format);
    // The monitor draws the frame in its shape as shown.
    const QRect picture = PreviewShown().PictureRect();
    ASSERT_GT(picture.height(), 0);
    const double pixelAspect = Board().wiring->output->Format().pixelAspect;
    EXPECT_NEAR(static_cast<double>(picture.width()) / picture.height(),
                format.width * pixelAspect / format.height, 0.02);
  }
};

TEST_F(MainWindowFormat, OpeningProjectsOfOtherFormatsSwitchesTheBoardEachTime) {
  const VideoFormat hd{1920, 1080, 25000};
  const VideoFormat vertical{1080, 1920, 29970};
  const VideoFormat pal{720, 576, 25000};
  const std::string hdPath = SaveEmptyProject("hd.vrp", hd);
  const std::string palPath = SaveEmptyProject("pal.vrp", pal);
  const std::string verticalPath = SaveEmptyProject("vertical.vrp", vertical);
  ExpectRunningIn(pal);

  Window().OpenProject(hdPath);
  ExpectRunningIn(hd);
  Window().OpenProject(palPath);
  ExpectRunningIn(pal);
  Window().OpenProject(verticalPath);
  ExpectRunningIn(vertical);
  Window().OpenProject(hdPath);
  ExpectRunningIn(hd);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(MainWindowFormat, NewProjectAsksForTheFormatAndCancelKeepsTheProject) {
  CSrc* source = Collect(WriteMovie("movie.avi"));
  ASSERT_NE(source, nullptr);
  CTrack* video = FirstTrackOfKind(TrackKind::Video);
  const auto row = RowOf(*video);
  ASSERT_TRUE(row);
  ASSERT_TRUE(Area().Controller()->Drop(*source, 80, (row->rect.top + row->rect.bottom) / 2));
  ASSERT_FALSE(video->clips.empty());

  const VideoFormat hd{1280, 720, 59940};
  ui_.messageAnswers.push_back(MessageAnswer::No);  // do not save the changes
  ui_.formatAnswers.push_back(std::nullopt);         // Cancel
  Window().RunCommand(CommandId::NewProject);
  ASSERT_EQ(ui_.formatRequests.size(), 1u);
  EXPECT_EQ(ui_.formatRequests[0].title, "New project");
  EXPECT_EQ(ui_.formatRequests[0].preselected, (VideoFormat{720, 576, 25000}));
  EXPECT_FALSE(video->clips.empty());
  ExpectRunningIn({720, 576, 25000});

  ui_.messageAnswers.push_back(MessageAnswer::No);
  ui_.formatAnswers.push_back(hd);
  Window().RunCommand(CommandId::NewProject);
  EXPECT_TRUE(FirstTrackOfKind(TrackKind::Video)->clips.empty());
  ExpectRunningIn(hd);
  ASSERT_EQ(ui_.formatRequests.size(), 2u);
}

TEST_F(MainWindowFormat, ScreenSizeSettingsChangesTheOpenProjectAndUndoBringsItBack) {
  CSrc* source = Collect(WriteMovie("movie.avi"));
  ASSERT_NE(source, nullptr);
  CTrack* video = FirstTrackOfKind(TrackKind::Video);
  const auto row = RowOf(*video);
  ASSERT_TRUE(row);
  ASSERT_TRUE(Area().Controller()->Drop(*source, 80, (row->rect.top + row->rect.bottom) / 2));
  ASSERT_FALSE(video->clips.empty());
  // One second in: on PAL's grid, between two of 29.97.
  video->clips[0]->start = 1000.0;
  const TimeMs palStart = 1000.0;

  Doc().times.timeMark = 1500.0;
  ASSERT_TRUE(PreviewShowsAPictureOf({720, 576, 25000}));

  const VideoFormat hd{1920, 1080, 29970};
  ui_.formatAnswers.push_back(hd);
  Window().RunCommand(CommandId::ScreenSizeSettings);
  ASSERT_EQ(ui_.formatRequests.size(), 1u);
  EXPECT_EQ(ui_.formatRequests[0].title, "Screen size settings");
  ExpectRunningIn(hd);
  // The nearest frame of the new grid: 30 frames of 33.3667 ms.
  EXPECT_EQ(video->clips[0]->start, 30 * CurrentVideoStandard().FrameDelta);
  EXPECT_TRUE(ui_.messages.empty());
  // The picture under the unmoved mark comes back in the new size.
  EXPECT_TRUE(PreviewShowsAPictureOf(hd));

  Window().RunCommand(CommandId::Undo);
  ExpectRunningIn({720, 576, 25000});
  EXPECT_EQ(FirstTrackOfKind(TrackKind::Video)->clips.at(0)->start, palStart);
  EXPECT_TRUE(PreviewShowsAPictureOf({720, 576, 25000}));
}

TEST_F(MainWindowFormat, TheFirstClipDroppedIntoANewProjectOffersItsFormat) {
  testing::MovieParams params;
  params.width = 1280;
  params.height = 720;
  params.framesPerSecond = 50.0;
  params.frameCount = 25;
  const std::string path = dir_.File("wide.avi");
  ASSERT_TRUE(testing::WriteAvi(path, params));
  CSrc* source = Collect(path);
  ASSERT_NE(source, nullptr);
  const auto dropOnVideo = [&](int x) {
    CTrack* video = FirstTrackOfKind(TrackKind::Video);
    const auto row = RowOf(*video);
    return row && Area().Controller()->Drop(*source, x, (row->rect.top + row->rect.bottom) / 2);
  };

  ui_.messageAnswers.push_back(MessageAnswer::Yes);
  ASSERT_TRUE(dropOnVideo(130));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("1280x720@50"), std::string::npos) << ui_.messages[0].text;
  ExpectRunningIn({1280, 720, 50000});
  const CFilm& placed = *FirstTrackOfKind(TrackKind::Video)->clips.at(0);
  EXPECT_EQ(std::fmod(placed.start, 20.0), 0.0) << "placed on the grid of the clip's rate";
  // Only the first clip asks.
  ASSERT_TRUE(dropOnVideo(ShapeOf(placed)->rect.right + 20));
  EXPECT_EQ(ui_.messages.size(), 1u);

  // A new project whose format was picked in the dialog does not ask.
  ui_.messageAnswers.push_back(MessageAnswer::No);  // do not save the changes
  ui_.formatAnswers.push_back(VideoFormat{720, 576, 25000});
  Window().RunCommand(CommandId::NewProject);
  ExpectRunningIn({720, 576, 25000});
  source = Collect(path);
  ASSERT_NE(source, nullptr);
  ui_.messages.clear();
  ASSERT_TRUE(dropOnVideo(130));
  EXPECT_TRUE(ui_.messages.empty());

  // One left at the format the dialog preselected asks again; No keeps it.
  ui_.messageAnswers.push_back(MessageAnswer::No);  // do not save the changes
  Window().RunCommand(CommandId::NewProject);
  source = Collect(path);
  ASSERT_NE(source, nullptr);
  ui_.messages.clear();
  ui_.messageAnswers.push_back(MessageAnswer::No);
  ASSERT_TRUE(dropOnVideo(130));
  EXPECT_EQ(ui_.messages.size(), 1u);
  ExpectRunningIn({720, 576, 25000});
}

// The window itself, as a person fills it.
TEST(VideoFormatDialogWindowTest, PresetsThenCustomFieldsFillTheChooser) {
  VideoFormatChooser chooser(VideoFormat{720, 576, 25000});
  shell::VideoFormatDialogWindow window("New project", chooser);
  EXPECT_EQ(window.windowTitle(), "New project");
  const int presets = static_cast<int>(VideoFormatChooser::Presets().size());
  ASSERT_EQ(window.PresetBox()->count(), presets + 1);
  EXPECT_EQ(window.PresetBox()->currentText().toStdString(), "PAL SD 720 \u00d7 576 25");
  EXPECT_EQ(window.WidthBox()->value(), 720);
  EXPECT_FALSE(window.WidthBox()->isEnabled());
  EXPECT_EQ(window.RateBox()->count(), static_cast<int>(SupportedFrameRates().size()));

  window.PresetBox()->setCurrentIndex(0);  // the first preset
  EXPECT_EQ(chooser.Chosen(), VideoFormatChooser::Presets()[0].format);
  EXPECT_EQ(window.WidthBox()->value(), VideoFormatChooser::Presets()[0].format.width);

  window.PresetBox()->setCurrentIndex(presets);  // Custom
  EXPECT_TRUE(chooser.IsCustom());
  EXPECT_TRUE(window.WidthBox()->isEnabled());
  window.WidthBox()->setValue(1001);
  window.HeightBox()->setValue(600);
  window.RateBox()->setCurrentIndex(window.RateBox()->findData(23976));
  window.accept();  // an odd width: refused, the reason shown
  EXPECT_EQ(window.result(), QDialog::Rejected);
  EXPECT_FALSE(window.Problem()->isHidden());
  EXPECT_THAT(window.Problem()->text().toStdString(), ::testing::HasSubstr("1001 x 600"));
  window.WidthBox()->setValue(1000);
  window.accept();
  EXPECT_EQ(window.result(), QDialog::Accepted);
  EXPECT_EQ(chooser.Chosen(), (VideoFormat{1000, 600, 23976}));
}

}  // namespace
}  // namespace vantorelle
