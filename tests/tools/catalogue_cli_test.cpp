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
using testing::Json;
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

  Json Dump() {
    const CliRun run = RunCli({"dump", dir_.File("out.vrp")});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto json = testing::ReadJson(run.out);
    return json ? *json : Json::object();
  }

  testing::TempDir dir_;
};

TEST_F(CatalogueCli, SourcesAreCollectedOnceAndDeletedWithTheirClips) {
  const std::string wav = dir_.File("tone.wav");
  CliRun run = Run("add-source " + wav + "\nadd-source " + wav + "\ndrop 0 2 0\ndrop 0 3 3000\n");
  // The second add-source is refused; the rest is saved.
  ASSERT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("was already opened in Clip Collection"), std::string::npos) << run.err;
  Json dump = Dump();
  EXPECT_EQ(dump.at("sources").size(), 1u);
  EXPECT_EQ(dump.at("clips").size(), 2u);

  // The used source is deleted after its question, which a script answers Yes.
  run = Run("add-source " + wav + "\ndrop 0 2 0\ndelete-source 0\n");
  ASSERT_EQ(run.status, 0) << run.err;
  dump = Dump();
  EXPECT_EQ(dump.at("sources").size(), 0u);
  EXPECT_EQ(dump.at("clips").size(), 0u);
}

TEST_F(CatalogueCli, AnImportedTimelineProjectIsPastedFromTheClipboard) {
  testing::TmlBuilder tml;
  tml.Item(testing::TmlItemBuilder().Name("tone").Start(1000).Stop(2000).SoundFile("tone.wav").SoundSlot(0));
  std::ofstream(dir_.File("show.tml"), std::ios::binary) << tml.Text();
  const CliRun run = Run("import " + dir_.File("show.tml") + "\ntime 0\ncommand Paste\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const Json dump = Dump();
  ASSERT_EQ(dump.at("sources").size(), 1u);
  EXPECT_EQ(dump.at("sources").at(0).at("fileName").get<std::string>(), "tone.wav");
  ASSERT_EQ(dump.at("clips").size(), 1u);
  EXPECT_EQ(dump.at("clips").at(0).at("trackIndex").get<double>(), 2);  // the first audio track
  EXPECT_EQ(dump.at("clips").at(0).at("duration").get<double>(), 1000);

  EXPECT_NE(Run("import " + dir_.File("missing.tml") + "\n").status, 0);
}

TEST_F(CatalogueCli, TitleTracksAreAddedWithTheirRegions) {
  const CliRun run = Run("title-track Crawl movable 10 400 700 80\ntitle-track Bad sideways 0 0 10 10\n");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("line 2:"), std::string::npos) << run.err;
  ASSERT_EQ(Run("title-track Crawl movable 10 400 700 80\n").status, 0);
  const Json dump = Dump();
  const auto& tracks = dump.at("tracks");
  ASSERT_EQ(tracks.size(), 7u);
  const Json& crawl = tracks.back();
  EXPECT_EQ(crawl.at("trackName").get<std::string>(), "Crawl");
  EXPECT_EQ(crawl.at("typeWord").get<double>(), 0x40010);
  EXPECT_EQ(crawl.at("titleRegion").at("left").get<double>(), 10);
  EXPECT_EQ(crawl.at("titleRegion").at("top").get<double>(), 400);
  EXPECT_EQ(crawl.at("titleRegion").at("width").get<double>(), 700);
  EXPECT_EQ(crawl.at("titleRegion").at("height").get<double>(), 80);
}

// Each entry carries what a script needs to rebuild the binding: the
// command, its place, both flags and the Windows virtual-key code.
TEST_F(CatalogueCli, ShortcutEntriesCarryFlagsAndVirtualKeyCodes) {
  CliRun run = RunCli({"shortcuts"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto table = testing::ReadJson(run.out);
  ASSERT_TRUE(table && table->size() == 31u) << run.out;
  EXPECT_EQ(table->at(3).at("command"), "Export...");
  EXPECT_EQ(table->at(3).at("text"), "Ctrl + E");
  const Json expectedCopy = {{"commandId", 0x8090}, {"command", "Copy"}, {"category", "Edit"}, {"group", 1},
                             {"ctrl", 1},           {"shift", 0},        {"key", 0x2D},        {"text", "Ctrl + Ins"},
                             {"keys", "Ctrl + Ins"}};
  EXPECT_EQ(table->at(11), expectedCopy);
  const Json& clipCollectionDelete = table->at(30);
  EXPECT_EQ(clipCollectionDelete.at("commandId"), 0x8015);
  EXPECT_EQ(clipCollectionDelete.at("category"), "(Local) Clip Collection");
  EXPECT_EQ(clipCollectionDelete.at("group"), 4);
  EXPECT_EQ(clipCollectionDelete.at("key"), 0x2E);
  EXPECT_EQ(clipCollectionDelete.at("text"), "Del");

  // Shift with Ctrl, an unknown command and a key without a name, from a file.
  ShortCutList custom{{0x8098, CommandGroup::TracksView, 1, 1, 0x21}, {0x7777, CommandGroup::Global, 0, 0, 'K'}};
  const auto bytes = ShortcutFileBytes(custom);
  std::ofstream(dir_.File("mixed.vrk"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  run = RunCli({"shortcuts", dir_.File("mixed.vrk")});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto loaded = testing::ReadJson(run.out);
  ASSERT_TRUE(loaded && loaded->size() == 2u) << run.out;
  const Json expectedPageUp = {{"commandId", 0x8098}, {"command", "Play"}, {"category", "Command"},
                               {"group", 2},          {"ctrl", 1},        {"shift", 1},
                               {"key", 0x21},         {"text", "Ctrl + Shift + 33 key"},
                               {"keys", "Ctrl + Shift + 33 key"}};
  EXPECT_EQ(loaded->at(0), expectedPageUp);
  EXPECT_EQ(loaded->at(1).at("command"), "");
  EXPECT_EQ(loaded->at(1).at("ctrl"), 0);
  EXPECT_EQ(loaded->at(1).at("shift"), 0);
  EXPECT_EQ(loaded->at(1).at("key"), 'K');
  EXPECT_EQ(loaded->at(1).at("text"), "K");
}

TEST_F(CatalogueCli, ShortcutTablesAreListedWithTheirKeyTexts) {
  CliRun run = RunCli({"shortcuts"});
  ASSERT_EQ(run.status, 0) << run.err;
  auto json = testing::ReadJson(run.out);
  ASSERT_TRUE(json);
  ASSERT_EQ(json->size(), 31u);
  EXPECT_EQ(json->at(8).at("keys").get<std::string>(), "Ctrl + Shift + Z");
  EXPECT_EQ(json->at(11).at("command").get<std::string>(), "Copy");
  EXPECT_EQ(json->at(11).at("keys").get<std::string>(), "Ctrl + Ins");
  EXPECT_EQ(json->at(12).at("keys").get<std::string>(), "Ctrl + C");

  ShortCutList custom{{0x8098, CommandGroup::Global, 1, 0, 'P'}};
  const auto bytes = ShortcutFileBytes(custom);
  std::ofstream(dir_.File("keys.vrk"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  run = RunCli({"shortcuts", dir_.File("keys.vrk")});
  ASSERT_EQ(run.status, 0) << run.err;
  json = testing::ReadJson(run.out);
  ASSERT_TRUE(json);
  ASSERT_EQ(json->size(), 1u);
  EXPECT_EQ(json->at(0).at("command").get<std::string>(), "Play");
  EXPECT_EQ(json->at(0).at("keys").get<std::string>(), "Shift + P");

  std::ofstream(dir_.File("bad.vrk")) << "not a table";
  run = RunCli({"shortcuts", dir_.File("bad.vrk")});
  EXPECT_NE(run.status, 0);
  EXPECT_FALSE(run.err.empty());
}

}  // namespace
}  // namespace vantorelle
