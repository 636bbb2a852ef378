// vantorelle-cli run: edit scripts on a new or opened project, the messages
// they cause, and bad lines that stop the script before anything is saved.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_runner.h"
#include "support/json_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::Json;
using testing::RunCli;
using testing::TempDir;
namespace fs = std::filesystem;

class EditScriptCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
    testing::WavParams params;
    params.seconds = 2.0;
    ASSERT_TRUE(testing::WriteWav(Wav(), params));
  }

  std::string Wav() const { return dir_.File("tone.wav"); }
  std::string Out() const { return dir_.File("out.vrp"); }

  CliRun Run(const std::string& in, const std::string& script, std::vector<std::string> options = {}) {
    options.insert(options.end(), {"run", in, Out()});
    return RunCli(options, {"HOME=" + dir_.File("home")}, script);
  }

  // (track index, start, duration, selected) of every clip, in file order.
  std::vector<std::tuple<int, double, double, int>> Clips() {
    const CliRun run = RunCli({"dump", Out()});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto json = testing::ReadJson(run.out);
    std::vector<std::tuple<int, double, double, int>> clips;
    if (!json) return clips;
    for (const Json& clip : json->at("clips")) {
      clips.emplace_back(clip.at("trackIndex").get<int>(), clip.at("start").get<double>(),
                         clip.at("duration").get<double>(), clip.at("selectionState").get<int>());
    }
    return clips;
  }

  TempDir dir_;
};

using ClipRow = std::tuple<int, double, double, int>;

TEST_F(EditScriptCli, ANewProjectIsBuiltFromSourcesDropsAndCommands) {
  const CliRun run = Run("new",
                         "add-source " + Wav() +
                             "\n"
                             "# the sound goes on the first audio track\n"
                             "drop 0 2 1000\n"
                             "command Copy\n"
                             "time 5000\n"
                             "command Paste\n"
                             "select 2\n"
                             "time 6000\n"
                             "command 0x8097\n"  // Split clip, by id
                             "range 1000 3000\n");
  ASSERT_EQ(run.status, 0) << run.err;
  // Both parts of a split clip are unselected.
  EXPECT_EQ(Clips(), (std::vector<ClipRow>{{2, 1000, 2000, 0}, {2, 5000, 1000, 0}, {2, 6000, 1000, 0}}));

  // The saved project opens again and takes more edits.
  ASSERT_TRUE(fs::copy_file(Out(), dir_.File("first.vrp")));
  const CliRun again = Run(dir_.File("first.vrp"), "command Select all\ncommand Delete\ncommand Undo\nselect\n");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(Clips().size(), 3u);
  for (const ClipRow& clip : Clips()) EXPECT_EQ(std::get<3>(clip), 0);
}

TEST_F(EditScriptCli, AnOfflineSourceIsNamedAndKeepsItsClipsThroughEdits) {
  ASSERT_EQ(Run("new", "add-source " + Wav() + "\ndrop 0 2 1000\n").status, 0);
  ASSERT_TRUE(fs::copy_file(Out(), dir_.File("first.vrp")));
  fs::rename(Wav(), dir_.File("tone-away.wav"));
  const CliRun run = Run(dir_.File("first.vrp"), "time 5000\nselect 1\ncommand Copy\ncommand Paste\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("offline source (file not found): " + Wav()), std::string::npos) << run.err;
  const auto clips = Clips();
  ASSERT_EQ(clips.size(), 2u);
  EXPECT_EQ(std::get<1>(clips[0]), 1000);
  EXPECT_EQ(std::get<1>(clips[1]), 5000);
  EXPECT_EQ(std::get<2>(clips[1]), 2000);
}

TEST_F(EditScriptCli, RepeatAndTrackNumbersWithTheirMessages) {
  const CliRun run = Run("new", "add-source " + Wav() + "\ndrop 0 3 0\nrepeat 1 2 500\ntracks 1 1\n");
  // The refused track change is saved around, and said.
  ASSERT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("line 4 refused: tracks 1 1"), std::string::npos) << run.err;
  // Copy i starts at end + (i - 1) × duration + i × pause.
  EXPECT_EQ(Clips(), (std::vector<ClipRow>{{3, 0, 2000, 1}, {3, 2500, 2000, 1}, {3, 5000, 2000, 1}}));
  // The clips are on the second audio track, which one audio track would delete.
  EXPECT_NE(run.err.find("Change tracks number: Can't change tracks number, because there are some clips on "
                         "deleted tracks"),
            std::string::npos)
      << run.err;
}

TEST_F(EditScriptCli, RefusedEditsAreReportedAsTheEditorWouldShowThem) {
  // Both audio tracks are taken where the copy would go.
  const CliRun run =
      Run("new", "add-source " + Wav() + "\ndrop 0 2 0\ndrop 0 3 0\nselect 1\ncommand Copy\ntime 1000\ncommand Paste\n");
  ASSERT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("Can't paste the clipboard contents: The target range is occupied by another clip(s)"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(Clips().size(), 2u);
}

TEST_F(EditScriptCli, RefusedLinesAreNamedAndTheRestIsSavedWithStatusThree) {
  const CliRun run = Run("new",
                         "add-source " + Wav() +
                             "\n"
                             "command Paste\n"     // 2: the clipboard is empty
                             "drop 0 2 0\n"
                             "drop 0 2 500\n"      // 4: onto the clip just dropped
                             "select 1\n"
                             "command Copy\n"
                             "time 4000\n"
                             "command Paste\n"
                             "drop 0 2 2000\n"
                             "repeat 2 2 0\n"      // 10: the clip at 2 s has no room before the one at 4 s
                             "add-source " + Wav() + "\n"  // 11: already collected
                             "time 9000\n");
  EXPECT_EQ(run.status, 3) << run.err;
  const std::string err = run.err;
  EXPECT_NE(err.find("line 2 refused: command Paste\n"), std::string::npos) << err;
  EXPECT_NE(err.find("line 4 refused: drop 0 2 500\n"), std::string::npos) << err;
  EXPECT_NE(err.find("line 10 refused: repeat 2 2 0\n"), std::string::npos) << err;
  EXPECT_NE(err.find("line 11 refused: add-source"), std::string::npos) << err;
  for (const std::string done : {"line 3 ", "line 6 ", "line 8 ", "line 9 ", "line 12 "}) {
    EXPECT_EQ(err.find(done + "refused"), std::string::npos) << done << err;
  }
  // Everything the other lines did is saved, the last drop selected.
  EXPECT_EQ(Clips(), (std::vector<ClipRow>{{2, 0, 2000, 0}, {2, 2000, 2000, 1}, {2, 4000, 2000, 0}}));

  // A script the editor takes whole still ends with 0.
  EXPECT_EQ(Run("new", "add-source " + Wav() + "\ndrop 0 2 0\n").status, 0);
}

TEST_F(EditScriptCli, ABadLineStopsTheScriptWithItsNumberAndSavesNothing) {
  for (const std::string bad : {"frobnicate", "time soon", "drop 0 99 0", "select 7", "command Settings...",
                                 "command No such thing", "range 1"}) {
    const CliRun run = Run("new", "add-source " + Wav() + "\ndrop 0 2 0\n" + bad + "\n");
    EXPECT_NE(run.status, 0) << bad;
    EXPECT_NE(run.err.find("line 3:"), std::string::npos) << bad << ": " << run.err;
    EXPECT_FALSE(fs::exists(Out())) << bad;
  }
  const CliRun missing = Run(dir_.File("nothing.vrp"), "");
  EXPECT_NE(missing.status, 0);
}

TEST_F(EditScriptCli, ARangeLineSetsTheRangeItGivesWhateverCameBefore) {
  // Each pair: the range of the line before, then the one that must be stored.
  const CliRun run = Run("new", "range 5000 8000\nrange 1000 3000\nrange 12000 16000\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const CliRun dump = RunCli({"dump", Out()});
  ASSERT_EQ(dump.status, 0) << dump.err;
  const auto json = testing::ParseJson(dump.out);
  ASSERT_TRUE(json.has_value());
  EXPECT_EQ((*json)["settings"]["rangeStart"].AsNumber(), 12000.0);
  EXPECT_EQ((*json)["settings"]["rangeStop"].AsNumber(), 16000.0);

  ASSERT_EQ(Run("new", "range 5000 8000\nrange 1000 3000\n").status, 0);
  const auto earlier = testing::ParseJson(RunCli({"dump", Out()}).out);
  ASSERT_TRUE(earlier.has_value());
  EXPECT_EQ((*earlier)["settings"]["rangeStart"].AsNumber(), 1000.0);
  EXPECT_EQ((*earlier)["settings"]["rangeStop"].AsNumber(), 3000.0);
}

TEST_F(EditScriptCli, SettingsAreKeptOnlyWhereTheCommandLineSays) {
  ASSERT_EQ(Run("new", "").status, 0);
  EXPECT_FALSE(fs::exists(dir_.File("home/.config")));
  ASSERT_EQ(Run("new", "", {"--config-dir", dir_.File("settings")}).status, 0);
  EXPECT_TRUE(fs::exists(dir_.File("settings/settings.vrs")));
}

}  // namespace
}  // namespace vantorelle
