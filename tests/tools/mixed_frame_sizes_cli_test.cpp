// A project of movies of different frame sizes, built with vantorelle-cli
// run, saved, opened and saved again: every source keeps its frame size and
// every clip stays, and a render fits each picture into the output frame.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/cli_runner.h"
#include "support/json_reader.h"
#include "support/media_file_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::Json;
using testing::RunCli;

struct SizedMovie {
  const char* name;
  int width;
  int height;
  testing::Rgb colour;
};

// 4:3 first, then two 16:9 sizes; the last one goes on the second track.
const SizedMovie kMovies[] = {
    {"small.avi", 320, 240, {255, 0, 0}},
    {"wide.avi", 640, 360, {0, 255, 0}},
    {"hd.avi", 1280, 720, {0, 0, 255}},
};

class MixedFrameSizesCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
  }

  Json Dump(const std::string& path) {
    const CliRun run = RunCli({"dump", path});
    EXPECT_EQ(run.status, 0) << run.err;
    auto json = testing::ReadJson(run.out);
    EXPECT_TRUE(json && json->is_object()) << run.out;
    return json ? *json : Json::object();
  }

  testing::TempDir dir_;
};

TEST_F(MixedFrameSizesCli, ReopenedProjectKeepsEveryClipAndRendersEachPictureFitted) {
  std::string script;
  for (const SizedMovie& movie : kMovies) {
    testing::MovieParams params;
    params.width = movie.width;
    params.height = movie.height;
    params.frameCount = 25;
    params.pattern = testing::FramePattern::Solid;
    params.colour = movie.colour;
    ASSERT_TRUE(testing::WriteAvi(dir_.File(movie.name), params));
    script += "add-source " + dir_.File(movie.name) + "\n";
  }
  script += "drop 0 0 0\ndrop 1 0 1000\ndrop 2 1 2000\nrange 0 3000\n";
  const std::string built = dir_.File("built.vrp");
  const CliRun run = RunCli({"run", "new", built}, {"HOME=" + dir_.File("home")}, script);
  ASSERT_EQ(run.status, 0) << run.err;

  // Opened and saved again.
  const std::string reopened = dir_.File("reopened.vrp");
  const CliRun resave = RunCli({"resave", built, reopened}, {"HOME=" + dir_.File("home")});
  ASSERT_EQ(resave.status, 0) << resave.err;
  EXPECT_EQ(resave.err, "");

  for (const std::string& project : {built, reopened}) {
    SCOPED_TRACE(project);
    const Json json = Dump(project);
    ASSERT_EQ(json.at("sources").size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      const Json& source = json.at("sources")[i];
      EXPECT_EQ(source.at("fileName").get<std::string>(), kMovies[i].name);
      EXPECT_EQ(source.at("frameWidth").get<int>(), kMovies[i].width) << kMovies[i].name;
      EXPECT_EQ(source.at("frameHeight").get<int>(), kMovies[i].height) << kMovies[i].name;
    }
    std::vector<std::tuple<int, int, double, double>> clips;
    for (const Json& clip : json.at("clips")) {
      clips.emplace_back(clip.at("sourceIndex").get<int>(), clip.at("trackIndex").get<int>(),
                         clip.at("start").get<double>(), clip.at("duration").get<double>());
    }
    const int first = json.at("sources")[0].at("sourceIndex").get<int>();
    EXPECT_EQ(clips, (std::vector<std::tuple<int, int, double, double>>{
                         {first, 0, 0.0, 1000.0}, {first + 1, 0, 1000.0, 1000.0}, {first + 2, 1, 2000.0, 1000.0}}));
  }

  const std::string out = dir_.File("out.avi");
  const CliRun render = RunCli({"render", reopened, out, "--quiet"});
  ASSERT_EQ(render.status, 0) << render.err;
  const auto media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  ASSERT_EQ(media->frames.size(), 75u);
  const auto colour = [&](std::size_t frame, int x, int y) { return media->MeanColour(frame, x, y, 4); };
  const auto brightness = [&](std::size_t frame, int x, int y) {
    const auto c = colour(frame, x, y);
    return c.r + c.g + c.b;
  };
  // The 4:3 picture fills the 4:3 frame, edge to edge.
  for (const auto& [x, y] : {std::pair{360, 288}, std::pair{6, 288}, std::pair{712, 288}, std::pair{360, 6},
                             std::pair{360, 570}}) {
    EXPECT_GT(colour(12, x, y).r, 200) << x << "," << y;
  }
  // The 16:9 pictures, whatever their size, 432 of 576 lines between bars of 72.
  for (const std::size_t frame : {37u, 62u}) {
    EXPECT_LT(brightness(frame, 360, 60), 40) << frame;
    EXPECT_GT(brightness(frame, 360, 80), 200) << frame;
    EXPECT_GT(brightness(frame, 360, 496), 200) << frame;
    EXPECT_LT(brightness(frame, 360, 516), 40) << frame;
    EXPECT_GT(brightness(frame, 6, 288), 200) << frame;
  }
  EXPECT_GT(colour(37, 360, 288).g, 200);
  EXPECT_GT(colour(62, 360, 288).b, 200);
}

}  // namespace
}  // namespace vantorelle
