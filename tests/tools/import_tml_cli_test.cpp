// vantorelle-cli import-tml: a Velmo timeline project imported into a new or
// opened project, pasted where asked, and saved.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include <nlohmann/json.hpp>

#include "support/cli_runner.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"
#include "support/tml_builder.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::RunCli;
using testing::TmlBuilder;
using testing::TmlItemBuilder;
namespace fs = std::filesystem;

using ClipRow = std::tuple<int, double, double>;  // track index, start, duration

class ImportTmlCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
    testing::WavParams params;
    params.seconds = 2.0;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) ASSERT_TRUE(testing::WriteWav(dir_.File(name), params));
    // Three sound slots for the two audio tracks of a new project; slot 5
    // is the one too many.
    dir_.WriteFile("show.tml", TmlBuilder()
                                   .Item(TmlItemBuilder().Start(0).Stop(1000).SoundFile("a.wav").SoundSlot(0))
                                   .Item(TmlItemBuilder().Start(1000).Stop(2000).SoundFile("b.wav").SoundSlot(1))
                                   .Item(TmlItemBuilder().Start(0).Stop(1000).SoundFile("c.wav").SoundSlot(5))
                                   .Text());
  }

  std::string Tml() const { return dir_.File("show.tml"); }
  std::string Out() const { return dir_.File("out.vrp"); }

  nlohmann::json Dump(const std::string& project) {
    const CliRun run = RunCli({"dump", project});
    EXPECT_EQ(run.status, 0) << run.err;
    return nlohmann::json::parse(run.out, nullptr, false);
  }

  std::vector<ClipRow> Clips(const std::string& project) {
    std::vector<ClipRow> clips;
    const nlohmann::json json = Dump(project);
    if (!json.is_object()) return clips;
    for (const auto& clip : json["clips"]) {
      clips.emplace_back(clip["trackIndex"].get<int>(), clip["start"].get<double>(), clip["duration"].get<double>());
    }
    return clips;
  }

  testing::TempDir dir_;
};

TEST_F(ImportTmlCli, TheClipsArePastedWhereAskedAfterTheSurplusSlotsAreDropped) {
  const CliRun run = RunCli({"import-tml", Tml(), "new", Out(), "--paste-at", "4000"});
  ASSERT_EQ(run.status, 0) << run.err;
  // The question was asked and answered with OK.
  EXPECT_NE(run.err.find("Superfluous clips will be deleted!"), std::string::npos) << run.err;
  EXPECT_EQ(Clips(Out()), (std::vector<ClipRow>{{2, 4000, 1000}, {3, 5000, 1000}}));
  EXPECT_EQ(Dump(Out())["sources"].size(), 3u);
}

TEST_F(ImportTmlCli, WithoutAPasteOnlyTheSourcesAreAdded) {
  const CliRun run = RunCli({"import-tml", Tml(), "new", Out()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Clips(Out()).empty());
  EXPECT_EQ(Dump(Out())["sources"].size(), 3u);
}

TEST_F(ImportTmlCli, AnOpenedProjectKeepsItsClipsAndARefusedPasteIsSaidAndSavedAround) {
  const std::string first = dir_.File("first.vrp");
  ASSERT_EQ(RunCli({"import-tml", Tml(), "new", first, "--paste-at", "0"}).status, 0);
  ASSERT_EQ(Clips(first), (std::vector<ClipRow>{{2, 0, 1000}, {3, 1000, 1000}}));

  // Again into the same project: the files are its sources already, and
  // the clips go after the first ones.
  CliRun run = RunCli({"import-tml", Tml(), first, Out(), "--paste-at", "3000"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Clips(Out()),
            (std::vector<ClipRow>{{2, 0, 1000}, {2, 3000, 1000}, {3, 1000, 1000}, {3, 4000, 1000}}));
  EXPECT_EQ(Dump(Out())["sources"].size(), 3u);

  // Onto the clips already there: refused, said, and the rest saved.
  fs::remove(Out());
  run = RunCli({"import-tml", Tml(), first, Out(), "--paste-at", "500"});
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("The target range is occupied by another clip(s)"), std::string::npos) << run.err;
  EXPECT_EQ(Clips(Out()), (std::vector<ClipRow>{{2, 0, 1000}, {3, 1000, 1000}}));
}

TEST_F(ImportTmlCli, AFileThatCannotBeImportedSavesNothing) {
  const std::string first = dir_.File("first.vrp");
  ASSERT_EQ(RunCli({"run", "new", first}).status, 0);
  const auto before = testing::FileBytes(first);
  dir_.WriteFile("bad.tml", TmlBuilder().Header("not a timeline project").Text());
  dir_.WriteFile("empty-items.tml", TmlBuilder().Item(TmlItemBuilder().Start(0).Stop(1000)).Text());
  for (const std::string tml : {dir_.File("none.tml"), dir_.File("bad.tml"), dir_.File("empty-items.tml"),
                                dir_.Path().string()}) {
    const CliRun run = RunCli({"import-tml", tml, first, Out()});
    EXPECT_EQ(run.status, 1) << tml;
    EXPECT_NE(run.err.find(tml), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(Out())) << tml;
    EXPECT_EQ(testing::FileBytes(first), before);
  }
}

}  // namespace
}  // namespace vantorelle
