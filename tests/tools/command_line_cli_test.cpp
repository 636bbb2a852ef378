// vantorelle-cli's command line: help, version, a usage line for every
// command, and plain words for a command line that does not fit.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::RunCli;
namespace fs = std::filesystem;

const std::vector<std::string> kCommands{"media-info", "dump",      "resave", "run",
                                         "import-tml", "shortcuts", "render", "help"};

class CommandLineCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
  }
  testing::TempDir dir_;
};

TEST_F(CommandLineCli, HelpListsEveryCommandWithItsUsageLine) {
  for (const std::string flag : {"--help", "-h"}) {
    const CliRun run = RunCli({flag});
    ASSERT_EQ(run.status, 0) << flag << ": " << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    EXPECT_NE(run.out.find("usage: vantorelle-cli [--no-board] [--video-standard NAME] [--config-dir DIR]"),
              std::string::npos)
        << run.out;
    for (const std::string& command : kCommands) {
      EXPECT_NE(run.out.find("\n  " + command + " "), std::string::npos) << flag << " lists no " << command;
    }
    EXPECT_NE(run.out.find("import-tml FILE.tml IN.vrp|new OUT.vrp [--paste-at MS]"), std::string::npos) << run.out;
  }
  // "help" alone is the same text.
  EXPECT_EQ(RunCli({"help"}).out, RunCli({"--help"}).out);
}

TEST_F(CommandLineCli, EachCommandHasAUsageLineAndHelp) {
  for (const std::string& command : kCommands) {
    const CliRun help = RunCli({"help", command});
    ASSERT_EQ(help.status, 0) << command << ": " << help.err;
    EXPECT_EQ(help.out.rfind("usage: vantorelle-cli " + command + " ", 0), 0u) << help.out;
    // The command's own --help says the same.
    EXPECT_EQ(RunCli({command, "--help"}).out, help.out) << command;
  }
  const CliRun render = RunCli({"help", "render"});
  for (const std::string option : {"--range START:STOP", "--format avi|mp4", "--allow-offline", "--quiet"}) {
    EXPECT_NE(render.out.find(option), std::string::npos) << option << "\n" << render.out;
  }
  const CliRun unknown = RunCli({"help", "frobnicate"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("help: unknown command \"frobnicate\""), std::string::npos) << unknown.err;
}

TEST_F(CommandLineCli, VersionIsTheBuildsVersion) {
  const CliRun run = RunCli({"--version"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, std::string("vantorelle-cli ") + VANTORELLE_VERSION + "\n");
}

TEST_F(CommandLineCli, WordsThatDoNotFitAreNamedPlainlyWithTheUsageLine) {
  struct Case {
    std::vector<std::string> words;
    std::string said;
    std::string usage;
  };
  const std::vector<Case> cases{
      {{"render", "a.vrp", "b.avi", "--format"}, "render: option --format needs a value (avi or mp4)", "render"},
      {{"render", "a.vrp", "b.avi", "--range"}, "render: option --range needs a value (START:STOP", "render"},
      {{"render", "a.vrp", "b.avi", "--format", "mov"}, "render: option --format takes avi or mp4, not \"mov\"",
       "render"},
      {{"render", "a.vrp", "b.avi", "--range", "500:100"}, "render: option --range takes START:STOP", "render"},
      {{"render", "a.vrp", "b.avi", "--frobnicate"}, "render: unknown option --frobnicate", "render"},
      {{"render", "a.vrp", "b.avi", "--quiet=x"}, "render: option --quiet takes no value", "render"},
      {{"render", "a.vrp"}, "render: OUT is missing", "render"},
      {{"dump", "a.vrp", "b.vrp"}, "dump: one argument too many: \"b.vrp\"", "dump"},
      {{"media-info"}, "media-info: FILE is missing", "media-info"},
      {{"import-tml", "x.tml", "new", "out.vrp", "--paste-at", "soon"},
       "import-tml: option --paste-at takes a time in milliseconds", "import-tml"},
      {{"run", "new", "out.vrp", "--config-dir"}, "run: option --config-dir needs a value (a folder)", "run"},
      {{"frobnicate"}, "unknown command \"frobnicate\"", ""},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.words);
    EXPECT_EQ(run.status, 2) << c.said;
    EXPECT_TRUE(run.out.empty()) << c.said;
    EXPECT_NE(run.err.find("vantorelle-cli: " + c.said), std::string::npos) << c.said << "\n" << run.err;
    EXPECT_NE(run.err.find("usage: vantorelle-cli " + c.usage), std::string::npos) << c.said << "\n" << run.err;
  }
}

TEST_F(CommandLineCli, GlobalOptionsStandBeforeOrAfterTheCommand) {
  const CliRun after = RunCli({"run", "new", dir_.File("a.vrp"), "--config-dir", dir_.File("after")});
  ASSERT_EQ(after.status, 0) << after.err;
  EXPECT_TRUE(fs::exists(dir_.File("after/settings.vrs")));
  const CliRun before = RunCli({"--config-dir", dir_.File("before"), "run", "new", dir_.File("b.vrp")});
  ASSERT_EQ(before.status, 0) << before.err;
  EXPECT_TRUE(fs::exists(dir_.File("before/settings.vrs")));

  EXPECT_EQ(RunCli({"dump", dir_.File("a.vrp"), "--video-standard", "secam"}).status, 2);
  EXPECT_EQ(RunCli({"dump", dir_.File("a.vrp")}, {"VANTORELLE_VIDEO_STANDARD=secam"}).status, 2);
  EXPECT_EQ(RunCli({"--video-standard=ntsc", "dump", dir_.File("a.vrp")}).status, 0);
  // Operands that look like options follow "--"; words named like commands are operands.
  const CliRun dashed = RunCli({"media-info", "--", "-clip.avi", "render"});
  EXPECT_EQ(dashed.status, 1);
  EXPECT_NE(dashed.out.find("\"-clip.avi\""), std::string::npos) << dashed.out;
  EXPECT_NE(dashed.out.find("\"render\""), std::string::npos) << dashed.out;
}

}  // namespace
}  // namespace vantorelle
