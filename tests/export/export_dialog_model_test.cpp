// The Export dialog's model: the proposed file follows the project and the
// preset, targets that would destroy the project are refused, an existing
// file is replaced only after a question, and the choices come back next time.
#include "export/export_dialog_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "document/settings_store.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::ScriptedUserInterface;
using ::testing::HasSubstr;

constexpr int kMp4 = 0;
constexpr int kProRes = 2;
constexpr int kWebM = 4;
constexpr int kWav = 5;
constexpr int kPng = 7;

class ExportDialogModelTest : public ::testing::Test {
 protected:
  ExportDialogContext Context(bool rangeSet = false) const {
    ExportDialogContext context;
    context.projectPath = dir_.File("films/holiday.vrp");
    context.sourcePaths = {dir_.WriteFile("media/beach.avi", "avi"), dir_.WriteFile("media/sea.wav", "wav")};
    context.rangeSet = rangeSet;
    context.fallbackFolder = dir_.File("home");
    std::filesystem::create_directories(dir_.File("home"));
    dir_.WriteFile("films/holiday.vrp", "project");
    return context;
  }

  testing::TempDir dir_;
  MemorySettingsStore store_;
  ScriptedUserInterface ui_;
};

TEST_F(ExportDialogModelTest, ProposesTheProjectsNameAndFollowsThePresetsExtension) {
  ExportDialogModel model(Context(), store_, ui_);
  EXPECT_EQ(ExportDialogModel::PresetTitles().front(), "MP4 — H.264 + AAC");
  ASSERT_EQ(ExportDialogModel::PresetTitles().size(), ExportPresets().size());
  EXPECT_EQ(ExportDialogModel::PresetTitles()[kPng], "PNG — the frame under the time mark");
  EXPECT_EQ(model.PresetIndex(), kMp4);
  EXPECT_EQ(model.OutputPath(), dir_.File("films/holiday.mp4"));
  model.SelectPreset(kProRes);
  EXPECT_EQ(model.OutputPath(), dir_.File("films/holiday.mov"));
  // A name the person typed keeps its folder and stem.
  model.SetOutputPath(dir_.File("home/cut one.mov"));
  model.SelectPreset(kWebM);
  EXPECT_EQ(model.OutputPath(), dir_.File("home/cut one.webm"));
  model.SelectPreset(99);
  EXPECT_EQ(model.PresetIndex(), kWebM);

  ExportDialogContext untitled = Context();
  untitled.projectPath.clear();
  ExportDialogModel fresh(untitled, store_, ui_);
  EXPECT_EQ(fresh.OutputPath(), dir_.File("home/Untitled.mp4"));
}

TEST_F(ExportDialogModelTest, QualityOnlyForPresetsThatTakeOne) {
  ExportDialogModel model(Context(), store_, ui_);
  const ExportPreset& mp4 = ExportPresetOf(ExportPresetId::Mp4);
  EXPECT_TRUE(model.QualityEnabled());
  EXPECT_EQ(model.Crf(), mp4.defaultCrf);
  model.SetQuality(100);
  EXPECT_EQ(model.Crf(), mp4.bestCrf);
  model.SetQuality(-20);
  EXPECT_EQ(model.Quality(), 0);
  EXPECT_EQ(model.Crf(), mp4.worstCrf);
  model.SelectPreset(kWav);
  EXPECT_FALSE(model.QualityEnabled());
  model.SetQuality(80);
  EXPECT_EQ(model.Crf(), 0);
  model.SelectPreset(kWebM);
  EXPECT_EQ(model.Crf(), ExportPresetOf(ExportPresetId::WebM).defaultCrf);
}

TEST_F(ExportDialogModelTest, TheRangeNeedsARangeAndAStillHasNoSpan) {
  ExportDialogModel model(Context(false), store_, ui_);
  EXPECT_TRUE(model.SpanEnabled(ExportSpanKind::WholeProject));
  EXPECT_TRUE(model.SpanEnabled(ExportSpanKind::WorkArea));
  EXPECT_FALSE(model.SpanEnabled(ExportSpanKind::Range));
  EXPECT_EQ(model.SpanDisabledReason(ExportSpanKind::Range), "No range is set.");
  model.SelectSpan(ExportSpanKind::Range);
  EXPECT_EQ(model.Span(), ExportSpanKind::WholeProject);
  model.SelectSpan(ExportSpanKind::WorkArea);
  EXPECT_EQ(model.Span(), ExportSpanKind::WorkArea);
  model.SelectPreset(kPng);
  EXPECT_FALSE(model.SpanApplies());
  EXPECT_FALSE(model.SpanEnabled(ExportSpanKind::WholeProject));

  ExportDialogModel ranged(Context(true), store_, ui_);
  EXPECT_TRUE(ranged.SpanEnabled(ExportSpanKind::Range));
  ranged.SelectSpan(ExportSpanKind::Range);
  const auto request = ranged.Accept();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->span, ExportSpanKind::Range);
}

TEST_F(ExportDialogModelTest, RefusesTheProjectItsSourcesAndMissingFolders) {
  const ExportDialogContext context = Context();
  struct Case {
    std::string output;
    std::string why;
  };
  const std::vector<Case> cases = {
      {context.projectPath, "project file"},
      {dir_.File("media/../media/./beach.avi"), "the project reads it"},
      {dir_.File("films/../media/sea.wav"), "the project reads it"},
      {(dir_.Path() / "nowhere" / "film.mp4").string(), "does not exist"},
      {dir_.File("media"), "is a folder"},
      {"", "Choose the file"},
  };
  for (const Case& c : cases) {
    ScriptedUserInterface ui;
    ExportDialogModel model(context, store_, ui);
    model.SetOutputPath(c.output);
    EXPECT_FALSE(model.Accept()) << c.output;
    ASSERT_EQ(ui.messages.size(), 1u) << c.output;
    EXPECT_THAT(ui.messages[0].text, HasSubstr(c.why));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
  }
  EXPECT_FALSE(store_.SectionExists(ExportDialogModel::kSettingsSection)) << "a refusal remembers nothing";
}

TEST_F(ExportDialogModelTest, AnExistingFileIsReplacedOnlyAfterAQuestion) {
  ExportDialogModel model(Context(), store_, ui_);
  dir_.WriteFile("films/holiday.mp4", "old export");
  ui_.messageAnswers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(model.Accept());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_THAT(ui_.messages[0].text, HasSubstr("already exists"));
  const auto request = model.Accept();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->output, dir_.File("films/holiday.mp4"));
  EXPECT_EQ(request->preset, ExportPresetId::Mp4);
  EXPECT_EQ(ui_.messages.size(), 2u);
  // A new file is written without a question.
  model.SelectPreset(kWebM);
  ASSERT_TRUE(model.Accept());
  EXPECT_EQ(ui_.messages.size(), 2u);
}

TEST_F(ExportDialogModelTest, TheChoicesComeBackNextTime) {
  std::filesystem::create_directories(dir_.File("out"));
  {
    ExportDialogModel model(Context(true), store_, ui_);
    model.SetQuality(30);  // for mp4
    model.SelectPreset(kWebM);
    model.SetQuality(75);
    model.SelectSpan(ExportSpanKind::WorkArea);
    model.SetOutputPath(dir_.File("out/first.webm"));
    const auto request = model.Accept();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->crf, CrfOfQuality(ExportPresetOf(ExportPresetId::WebM), 75));
    EXPECT_EQ(request->span, ExportSpanKind::WorkArea);
  }
  ExportDialogModel again(Context(true), store_, ui_);
  EXPECT_EQ(again.PresetIndex(), kWebM);
  EXPECT_EQ(again.Quality(), 75);
  EXPECT_EQ(again.Span(), ExportSpanKind::WorkArea);
  // The last folder, with the project's name.
  EXPECT_EQ(again.OutputPath(), dir_.File("out/holiday.webm"));
  // Quality is kept per preset: mp4 was never exported, so it has its default.
  again.SelectPreset(kMp4);
  EXPECT_EQ(again.Crf(), ExportPresetOf(ExportPresetId::Mp4).defaultCrf);

  // A folder that went away gives the project's folder back.
  std::filesystem::remove_all(dir_.File("out"));
  ExportDialogModel moved(Context(true), store_, ui_);
  EXPECT_EQ(moved.OutputPath(), dir_.File("films/holiday.webm"));
}

TEST_F(ExportDialogModelTest, BrowseAsksThroughTheUserInterface) {
  ExportDialogModel model(Context(), store_, ui_);
  ui_.saveAnswers = {std::nullopt, dir_.File("home/named"), dir_.File("home/clip.mp4")};
  EXPECT_FALSE(model.Browse());
  EXPECT_EQ(model.OutputPath(), dir_.File("films/holiday.mp4"));
  ASSERT_EQ(ui_.saveRequests.size(), 1u);
  EXPECT_EQ(ui_.saveRequests[0].initialDirectory, dir_.File("films"));
  EXPECT_EQ(ui_.saveRequests[0].initialName, "holiday.mp4");
  EXPECT_EQ(ui_.saveRequests[0].defaultExtension, "mp4");
  ASSERT_EQ(ui_.saveRequests[0].filters.size(), 1u);
  EXPECT_EQ(ui_.saveRequests[0].filters[0].second, "*.mp4");
  EXPECT_TRUE(model.Browse());
  EXPECT_EQ(model.OutputPath(), dir_.File("home/named.mp4"));
  EXPECT_TRUE(model.Browse());
  EXPECT_EQ(model.OutputPath(), dir_.File("home/clip.mp4"));
}

}  // namespace
}  // namespace vantorelle
