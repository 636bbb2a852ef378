// The command-line tool over the Clip Collection, the timeline-project
// import, the title track settings and the shortcut tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "commands/shortcut_file.h"
#include "commands/shortcut_table.h"
#include "support/cli_runner.h"
#include "support/json_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"
#include "support/tml_builder.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::JsonValue;
using testing::RunCli;

class CatalogueCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
    testing::WavParams params;
    params.seconds = 2.0;
    ASSERT_TRUE(testing::WriteWav(dir_.File("tone.wav"), params));
  }

  CliRun Run(const std::string& script) { return RunCli({"run", "new", dir_.File("out.vrp")}, {}, script); }

  JsonValue Dump() {
    const CliRun run = RunCli({"dump", dir_.File("out.vrp")});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto json = testing::ParseJson(run.out);
    return json ? *json : JsonValue{JsonValue::Object{}};
  }

  testing::TempDir dir_;
};

TEST_F(CatalogueCli, SourcesAreCollectedOnceAndDeletedWithTheirClips) {
  const std::string wav = dir_.File("tone.wav");
  CliRun run = Run("add-source " + wav + "\nadd-source " + wav + "\ndrop 0 2 0\ndrop 0 3 3000\n");
  // The second add-source is refused; the rest is saved.
  ASSERT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("was already opened in Clip Collection"), std::string::npos) << run.err;
  JsonValue dump = Dump();
  EXPECT_EQ(dump["sources"].AsArray().size(), 1u);
  EXPECT_EQ(dump["clips"].AsArray().size(), 2u);

  // The used source is deleted after its question, which a script answers Yes.
  run = Run("add-source " + wav + "\ndrop 0 2 0\ndelete-source 0\n");
  ASSERT_EQ(run.status, 0) << run.err;
  dump = Dump();
  EXPECT_EQ(dump["sources"].AsArray().size(), 0u);
  EXPECT_EQ(dump["clips"].AsArray().size(), 0u);
}

TEST_F(CatalogueCli, AnImportedTimelineProjectIsPastedFromTheClipboard) {
  testing::TmlBuilder tml;
  tml.Item(testing::TmlItemBuilder().Name("tone").Start(1000).Stop(2000).SoundFile("tone.wav").SoundSlot(0));
  std::ofstream(dir_.File("show.tml"), std::ios::binary) << tml.Text();
  const CliRun run = Run("import " + dir_.File("show.tml") + "\ntime 0\ncommand Paste\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const JsonValue dump = Dump();
  ASSERT_EQ(dump["sources"].AsArray().size(), 1u);
  EXPECT_EQ(dump["sources"][0]["fileName"].AsString(), "tone.wav");
  ASSERT_EQ(dump["clips"].AsArray().size(), 1u);
  EXPECT_EQ(dump["clips"][0]["trackIndex"].AsNumber(), 2);  // the first audio track
  EXPECT_EQ(dump["clips"][0]["duration"].AsNumber(), 1000);

  EXPECT_NE(Run("import " + dir_.File("missing.tml") + "\n").status, 0);
}

TEST_F(CatalogueCli, TitleTracksAreAddedWithTheirRegions) {
  const CliRun run = Run("title-track Crawl movable 10 400 700 80\ntitle-track Bad sideways 0 0 10 10\n");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("line 2:"), std::string::npos) << run.err;
  ASSERT_EQ(Run("title-track Crawl movable 10 400 700 80\n").status, 0);
  const JsonValue dump = Dump();
  const auto& tracks = dump["tracks"].AsArray();
  ASSERT_EQ(tracks.size(), 7u);
  const JsonValue& crawl = tracks.back();
  EXPECT_EQ(crawl["trackName"].AsString(), "Crawl");
  EXPECT_EQ(crawl["typeWord"].AsNumber(), 0x40010);
  EXPECT_EQ(crawl["titleRegion"]["left"].AsNumber(), 10);
  EXPECT_EQ(crawl["titleRegion"]["top"].AsNumber(), 400);
  EXPECT_EQ(crawl["titleRegion"]["width"].AsNumber(), 700);
  EXPECT_EQ(crawl["titleRegion"]["height"].AsNumber(), 80);
}

TEST_F(CatalogueCli, ShortcutTablesAreListedWithTheirKeyTexts) {
  CliRun run = RunCli({"shortcuts"});
  ASSERT_EQ(run.status, 0) << run.err;
  auto json = testing::ParseJson(run.out);
  ASSERT_TRUE(json);
  ASSERT_EQ(json->AsArray().size(), 28u);
  EXPECT_EQ((*json)[9]["command"].AsString(), "Copy");
  EXPECT_EQ((*json)[9]["keys"].AsString(), "Ctrl + Ins");
  EXPECT_EQ((*json)[10]["keys"].AsString(), "Ctrl + C");

  ShortCutList custom{{0x8098, CommandGroup::Global, 1, 0, 'P'}};
  const auto bytes = ShortcutFileBytes(custom);
  std::ofstream(dir_.File("keys.vrk"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  run = RunCli({"shortcuts", dir_.File("keys.vrk")});
  ASSERT_EQ(run.status, 0) << run.err;
  json = testing::ParseJson(run.out);
  ASSERT_TRUE(json);
  ASSERT_EQ(json->AsArray().size(), 1u);
  EXPECT_EQ((*json)[0]["command"].AsString(), "Play");
  EXPECT_EQ((*json)[0]["keys"].AsString(), "Shift + P");

  std::ofstream(dir_.File("bad.vrk")) << "not a table";
  run = RunCli({"shortcuts", dir_.File("bad.vrk")});
  EXPECT_NE(run.status, 0);
  EXPECT_FALSE(run.err.empty());
}

}  // namespace
}  // namespace vantorelle
