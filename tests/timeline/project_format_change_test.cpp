// Choosing a project's format: the chooser behind the New project and
// Screen size dialogs, Screen size settings changing the open project's
// format with its clips put on the new grid as one undo step, and the first
// clip of a new project offering its own format.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "document/headless_views.h"
#include "document/project_format_choice.h"
#include "support/document_fixture.h"
#include "support/test_media_writer.h"
#include "support/temp_dir.h"
#include "support/timeline_fixtures.h"
#include "timeline/command_hub.h"
#include "timeline/first_clip_format.h"
#include "timeline/project_format_change.h"
#include "timeline/video_format_chooser.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::PlaceClip;

constexpr VideoFormat kPal{720, 576, 25000};
constexpr VideoFormat kHd2997{1920, 1080, 29970};
constexpr VideoFormat kHd50{1280, 720, 50000};

int PresetIndex(const VideoFormat& format) {
  const auto& presets = VideoFormatChooser::Presets();
  for (std::size_t i = 0; i < presets.size(); ++i) {
    if (presets[i].format == format) return static_cast<int>(i);
  }
  return VideoFormatChooser::kCustom;
}

TEST(VideoFormatChooserTest, PreselectsThePresetOrTheCustomFieldsAndChecksTheCustomSize) {
  VideoFormatChooser pal(kPal);
  ASSERT_NE(pal.Selected(), VideoFormatChooser::kCustom);
  EXPECT_EQ(VideoFormatChooser::Presets()[static_cast<std::size_t>(pal.Selected())].name, "PAL SD 720 \u00d7 576 25");
  EXPECT_TRUE(pal.Untouched());
  pal.Select(PresetIndex(kHd2997));
  EXPECT_EQ(pal.Chosen(), kHd2997);
  EXPECT_FALSE(pal.Untouched());

  VideoFormatChooser odd(VideoFormat{1000, 600, 24000});  // no preset has it
  EXPECT_TRUE(odd.IsCustom());
  EXPECT_EQ(odd.Chosen(), (VideoFormat{1000, 600, 24000}));
  odd.SetCustomFrameRate(26000);  // not a supported rate: ignored
  EXPECT_EQ(odd.Custom().frameRate, 24000);
  odd.SetCustomWidth(1001);
  std::string why;
  EXPECT_FALSE(odd.Chosen(&why));
  EXPECT_THAT(why, ::testing::HasSubstr("1001 x 600"));
  odd.SetCustomWidth(9000);
  EXPECT_FALSE(odd.Chosen());
  odd.SetCustomWidth(1002);
  odd.SetCustomFrameRate(59940);
  EXPECT_EQ(odd.Chosen(), (VideoFormat{1002, 600, 59940}));

  // Choosing a preset after typing keeps the typed values for Custom.
  odd.Select(0);
  EXPECT_EQ(odd.Chosen(), VideoFormatChooser::Presets()[0].format);
  odd.Select(VideoFormatChooser::kCustom);
  EXPECT_EQ(odd.Chosen(), (VideoFormat{1002, 600, 59940}));
}

TEST(NewProjectFormat, AsksWithTheRunningFormatAndCancelAnswersNothing) {
  testing::ScriptedUserInterface ui;
  ui.formatAnswers = {std::nullopt, kHd2997, VideoFormat{1921, 1080, 25000}};
  ui.formatAnswers.push_back(kPal);
  EXPECT_FALSE(AskProjectFormat(ui, kPal));
  const auto hd = AskProjectFormat(ui, kPal);
  ASSERT_TRUE(hd);
  EXPECT_EQ(hd->format, kHd2997);
  EXPECT_FALSE(hd->leftAtDefault);
  // A custom size that cannot be run is refused with the reason.
  EXPECT_FALSE(AskProjectFormat(ui, kPal));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_THAT(ui.messages[0].text, ::testing::HasSubstr("1921 x 1080"));
  const auto untouched = AskProjectFormat(ui, kPal);
  ASSERT_TRUE(untouched);
  EXPECT_TRUE(untouched->leftAtDefault);
  ASSERT_EQ(ui.formatRequests.size(), 4u);
  EXPECT_EQ(ui.formatRequests[0].title, "New project");
  EXPECT_EQ(ui.formatRequests[0].preselected, kPal);
}

class ScreenSizeChange : public ::testing::Test {
 protected:
  CFilm& Clip(std::size_t track, TimeMs start, TimeMs duration, TimeMs inPoint = 0.0) {
    CFilm& clip = PlaceClip(project.Track(track), start, duration, SourceFlags::VideoStream | SourceFlags::MovieFile,
                            &movie);
    clip.inPoint = inPoint;
    clip.sourceLength = movie.duration;
    ++movie.usageCount;
    return clip;
  }
  struct Times {
    TimeMs start, duration, inPoint;
    bool operator==(const Times&) const = default;
  };
  std::vector<Times> TimesOf(std::size_t track) {
    std::vector<Times> times;
    for (const auto& clip : project.Track(track).clips) times.push_back({clip->start, clip->duration, clip->inPoint});
    return times;
  }
  void ExpectConsistent() { project.ExpectConsistent({&movie}); }

  testing::TestDocument project;
  CSrc& movie = project.AddSource("/media/movie.avi", 60000.0, SourceFlags::VideoStream | SourceFlags::MovieFile);
};

TEST_F(ScreenSizeChange, ClipsLandOnTheNewGridAndOneUndoBringsBackClipsAndFormat) {
  // On the 40 ms grid of PAL: adjacent clips, one with an in point.
  Clip(0, 0.0, 1000.0, 80.0);
  Clip(0, 1000.0, 520.0, 40.0);
  Clip(1, 2040.0, 120.0);
  const auto palTimes = TimesOf(0);
  std::vector<VideoFormat> followed;
  project.doc.SetFormatHook([&](const VideoFormat& format) { followed.push_back(format); });

  ScreenSizeDialog dialog;
  EXPECT_EQ(dialog.Chooser().Preselected(), kPal);
  dialog.Chooser().Select(PresetIndex(kHd2997));
  ASSERT_TRUE(dialog.Apply(project.doc));
  EXPECT_EQ(project.doc.Format(), kHd2997);
  EXPECT_THAT(followed, ElementsAre(kHd2997));
  EXPECT_TRUE(project.doc.IsModified());
  // Each time goes to the nearest true 29.97 frame (33.3667 ms): 80 → 2
  // frames, 1000 → 30, 1520 → 46, 40 → 1, 2040 → 61, 2160 → 65. The clips
  // that met still meet.
  const double f = CurrentVideoStandard().FrameDelta;
  EXPECT_EQ(TimesOf(0), (std::vector<Times>{{0.0, 30 * f, 2 * f}, {30 * f, 46 * f - 30 * f, f}}));
  EXPECT_EQ(TimesOf(1), (std::vector<Times>{{61 * f, 65 * f - 61 * f, 0.0}}));
  ExpectConsistent();

  project.doc.Undo();
  EXPECT_EQ(project.doc.Format(), kPal);
  EXPECT_EQ(TimesOf(0), palTimes);
  EXPECT_EQ(CurrentVideoStandard().FrameDelta, 40.0);
  ExpectConsistent();
  project.doc.Redo();
  EXPECT_EQ(project.doc.Format(), kHd2997);
  EXPECT_EQ(TimesOf(0)[1].start, 30 * f);
  ExpectConsistent();
  EXPECT_THAT(followed, ElementsAre(kHd2997, kPal, kHd2997));

  // An ordinary edit after it, undone, leaves the format alone.
  project.doc.RecordUndo(UndoKind::Delete);
  project.Track(1).clips.clear();
  project.doc.timeline.RecountSourceUsage({&movie});
  ExpectConsistent();
  project.doc.Undo();
  EXPECT_EQ(project.doc.Format(), kHd2997);
  EXPECT_EQ(TimesOf(1).size(), 1u);
  ExpectConsistent();
}

TEST_F(ScreenSizeChange, TheSameFormatOrABadCustomSizeChangesNothing) {
  Clip(0, 10.0, 1000.0);  // off the grid: a change would move it
  ScreenSizeDialog same;
  ASSERT_TRUE(same.Apply(project.doc));
  EXPECT_EQ(project.Track(0).clips[0]->start, 10.0);
  EXPECT_FALSE(project.doc.undoHistory.CanUndo());

  ScreenSizeDialog bad;
  bad.Chooser().SetCustomWidth(17);
  std::string why;
  EXPECT_FALSE(bad.Apply(project.doc, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(project.doc.Format(), kPal);
  EXPECT_FALSE(project.doc.undoHistory.CanUndo());
  EXPECT_EQ(project.Track(0).clips[0]->start, 10.0);
}

TEST_F(ScreenSizeChange, AClipShorterThanANewFrameKeepsOneFrame) {
  Clip(0, 0.0, 10.0);  // its end would snap onto its start
  ASSERT_TRUE(ChangeProjectFormat(project.doc, VideoFormat{1280, 720, 23976}));
  EXPECT_EQ(project.Track(0).clips[0]->duration, 1'000'000.0 / 23976);
  ExpectConsistent();
}

class FirstClipFormat : public ::testing::Test {
 protected:
  FirstClipFormat() { project.doc.AttachViews(&views); }

  CSrc& Movie(int width, int height, double framesPerSecond) {
    testing::MovieParams params;
    params.width = width;
    params.height = height;
    params.framesPerSecond = framesPerSecond;
    params.frameCount = 5;
    const std::string path = dir_.File("movie.avi");
    EXPECT_TRUE(testing::WriteAvi(path, params));
    CSrc& source = project.AddSource(path, 5000.0 / framesPerSecond, SourceFlags::MovieFile | SourceFlags::VideoStream);
    source.frameWidth = width;
    source.frameHeight = height;
    return source;
  }

  testing::TempDir dir_;
  testing::TestDocument project;
  HeadlessDocumentViews views;
};

TEST_F(FirstClipFormat, TheFirstClipOfANewProjectLeftAtItsDefaultOffersItsFormat) {
  CSrc& movie = Movie(1280, 720, 30000.0 / 1001);
  // Not asked while the format was chosen.
  EXPECT_FALSE(OfferClipFormat(project.doc, movie));
  EXPECT_TRUE(project.ui.messages.empty());

  project.doc.SetFormatLeftAtDefault(true);
  project.ui.messageAnswers.push_back(MessageAnswer::No);
  EXPECT_FALSE(OfferClipFormat(project.doc, movie));
  ASSERT_EQ(project.ui.messages.size(), 1u);
  EXPECT_THAT(project.ui.messages[0].text, ::testing::HasSubstr("1280x720@29.97"));
  EXPECT_EQ(project.ui.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(project.doc.Format(), kPal);
  // Asked once only.
  EXPECT_FALSE(OfferClipFormat(project.doc, movie));
  EXPECT_EQ(project.ui.messages.size(), 1u);

  project.doc.SetFormatLeftAtDefault(true);
  project.ui.messageAnswers.push_back(MessageAnswer::Yes);
  EXPECT_TRUE(OfferClipFormat(project.doc, movie));
  EXPECT_EQ(project.doc.Format(), (VideoFormat{1280, 720, 29970}));
}

TEST_F(FirstClipFormat, NoQuestionOnceTheProjectHoldsAClipOrForAClipOfItsFormat) {
  CSrc& same = Movie(720, 576, 25.0);
  project.doc.SetFormatLeftAtDefault(true);
  EXPECT_FALSE(OfferClipFormat(project.doc, same));
  PlaceClip(project.Track(0), 0.0, 200.0, SourceFlags::VideoStream | SourceFlags::MovieFile, &same);
  ++same.usageCount;
  CSrc& other = Movie(640, 360, 24.0);
  EXPECT_FALSE(OfferClipFormat(project.doc, other));
  EXPECT_TRUE(project.ui.messages.empty());
  EXPECT_EQ(NearestSupportedFrameRate(24.0), 24000);
  EXPECT_EQ(NearestSupportedFrameRate(23.5), 23976);
  EXPECT_EQ(NearestSupportedFrameRate(48.0), 50000);
  EXPECT_EQ(NearestSupportedFrameRate(120.0), 60000);
}

}  // namespace
}  // namespace vantorelle
