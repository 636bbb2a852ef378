// The command-line tool given folders, pipes and devices where it expects
// project files, shortcut tables or media: it answers with the reason and
// a failure status, and never aborts or waits on a pipe.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_runner.h"
#include "support/hostile_files.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::PipeWatch;
using testing::RunCli;
using testing::TempDir;

class HostileFilesCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
    std::filesystem::create_directories(dir_.Path() / "folder.vrp");
    std::filesystem::create_directories(dir_.Path() / "folder.vrk");
    testing::MakeFifo(dir_.File("pipe.vrp"));
    testing::MakeFifo(dir_.File("pipe.vrk"));
  }

  // Runs the tool while watching pipe for a reader stuck on it.
  CliRun RunWatching(const std::vector<std::string>& arguments, const std::string& pipe) {
    PipeWatch watch(pipe);
    CliRun run = RunCli(arguments);
    EXPECT_FALSE(watch.HadToRelease()) << "waited on " << pipe;
    return run;
  }

  TempDir dir_;
};

TEST_F(HostileFilesCli, DumpRefusesWhatIsNoRegularFileWithTheReason) {
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {dir_.File("folder.vrp"), "Is a directory"},
      {dir_.File("pipe.vrp"), "Not a regular file"},
      {"/dev/zero", "Not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const CliRun run = RunWatching({"dump", c.path}, dir_.File("pipe.vrp"));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err, "vantorelle-cli: " + c.path + ": cannot be read: " + c.reason + "\n");
    EXPECT_TRUE(run.out.empty());
  }
}

TEST_F(HostileFilesCli, ResaveSaysWhyTheProjectCannotBeOpened) {
  const CliRun run = RunWatching({"resave", dir_.File("pipe.vrp"), dir_.File("out.vrp")}, dir_.File("pipe.vrp"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "vantorelle-cli: " + dir_.File("pipe.vrp") + ": cannot be read: Not a regular file\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out.vrp")));

  // A project that cannot be written says why as well.
  const std::string made = dir_.File("made.vrp");
  ASSERT_EQ(RunCli({"run", "new", made}).status, 0);
  const std::string folder = dir_.File("folder.vrp");
  const CliRun save = RunCli({"resave", made, folder});
  EXPECT_EQ(save.status, 1);
  EXPECT_EQ(save.err, "vantorelle-cli: " + folder + ": cannot be written: Is a directory\n");
}

TEST_F(HostileFilesCli, ShortcutsGivesTheFixedTextThenTheReason) {
  for (const std::string name : {"folder.vrk", "pipe.vrk"}) {
    const std::string path = dir_.File(name);
    const CliRun run = RunWatching({"shortcuts", path}, dir_.File("pipe.vrk"));
    EXPECT_EQ(run.status, 1);
    const std::string reason = name == "folder.vrk" ? "Is a directory" : "Not a regular file";
    EXPECT_EQ(run.err, "vantorelle-cli: " + path + ": Can't open file for save shortcut table\n" + reason + "\n");
  }
}

TEST_F(HostileFilesCli, MediaInfoDoesNotWaitOnPipesNamedAsMedia) {
  for (const std::string name : {"pipe.avi", "pipe.wav", "pipe.png", "pipe.mp4"}) {
    const std::string path = dir_.File(name);
    testing::MakeFifo(path);
    const CliRun run = RunWatching({"media-info", path}, path);
    EXPECT_NE(run.status, -1) << name;
  }
}

}  // namespace
}  // namespace vantorelle
