// vantorelle-cli on projects that hold their format: dump shows it, and
// resave, run and render work in it whatever standard the tool started in.
#include <gtest/gtest.h>

#include <filesystem>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "model/file_facts.h"
#include "model/video_format.h"
#include "support/cli_runner.h"
#include "support/document_fixture.h"
#include "support/file_bytes.h"
#include "support/json_reader.h"
#include "support/media_file_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::FileBytes;
using testing::Json;
using testing::RunCli;

class ProjectFormatCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
  }

  // A red movie clip of 0.4 s, saved in the format.
  std::string SaveProject(const std::string& name, const VideoFormat& format) {
    testing::TestDocument project;
    HeadlessDocumentViews views;
    project.doc.AttachViews(&views);
    testing::VideoStandardScope scope(StandardOf(format));
    testing::MovieParams params;
    params.width = 320;
    params.height = 240;
    params.frameCount = 10;
    params.pattern = testing::FramePattern::Solid;
    params.colour = {255, 0, 0};
    const std::string moviePath = dir_.File("red.avi");
    EXPECT_TRUE(testing::WriteAvi(moviePath, params));
    CSrc& source = project.AddSource(moviePath, 400.0, SourceFlags::MovieFile | SourceFlags::VideoStream);
    source.frameWidth = 320;
    source.frameHeight = 240;
    source.modified = LastWriteText(ReadFileFacts(moviePath)->lastWrite);
    auto clip = std::make_unique<CFilm>();
    clip->source = &source;
    clip->name = "red.avi";
    clip->duration = 400.0;
    clip->sourceLength = 400.0;
    clip->flags = source.flags;
    ++source.usageCount;
    project.Track(0).InsertInOrder(std::move(clip));
    project.doc.times.rangeStart = 0.0;
    project.doc.times.rangeStop = 400.0;
    const std::string path = dir_.File(name);
    EXPECT_TRUE(SaveProjectFile(project.doc, path));
    return path;
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

TEST_F(ProjectFormatCli, DumpShowsTheFormatOnlyOfAProjectThatHoldsOne) {
  const Json hd = Dump(SaveProject("hd.vrp", {1920, 1080, 29970}));
  ASSERT_TRUE(hd.contains("format")) << hd.dump();
  const Json& format = hd.at("format");
  EXPECT_EQ(format.at("width").get<double>(), 1920);
  EXPECT_EQ(format.at("height").get<double>(), 1080);
  EXPECT_EQ(format.at("frameRate").get<double>(), 29970);
  EXPECT_EQ(format.at("name").get<std::string>(), "1920x1080@29.97");

  const Json sd = Dump(SaveProject("sd.vrp", {720, 576, 25000}));
  EXPECT_FALSE(sd.contains("format"));
  EXPECT_EQ(sd.at("clips").size(), 1u);
}

TEST_F(ProjectFormatCli, ResaveAndRunKeepTheProjectsFormatUnderAnotherStandard) {
  const std::string hd = SaveProject("hd.vrp", {1280, 720, 50000});
  const std::string resaved = dir_.File("resaved.vrp");
  CliRun run = RunCli({"--video-standard", "ntsc", "resave", hd, resaved});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(FileBytes(resaved), FileBytes(hd));

  // A drop lands on the 20 ms frame grid of the project, not on the
  // 33.4 ms one of NTSC, and the result is saved in the project's format.
  const std::string edited = dir_.File("edited.vrp");
  run = RunCli({"--video-standard", "ntsc", "run", hd, edited}, {}, "drop 0 1 130\n");
  ASSERT_EQ(run.status, 0) << run.err << run.out;
  const Json dump = Dump(edited);
  ASSERT_TRUE(dump.contains("format"));
  EXPECT_EQ(dump.at("format").at("name").get<std::string>(), "1280x720@50");
  ASSERT_EQ(dump.at("clips").size(), 2u);
  EXPECT_EQ(dump.at("clips").at(1).at("trackIndex").get<double>(), 1);
  EXPECT_EQ(dump.at("clips").at(1).at("start").get<double>(), 120);
}

TEST_F(ProjectFormatCli, RenderMakesFramesOfTheProjectsSizeAndRate) {
  const std::string hd = SaveProject("hd.vrp", {1280, 720, 50000});
  const std::string out = dir_.File("out.avi");
  const CliRun run = RunCli({"--video-standard", "pal", "render", hd, out, "--quiet"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->width, 1280);
  EXPECT_EQ(media->height, 720);
  EXPECT_NEAR(media->framesPerSecond, 50.0, 0.01);
  EXPECT_EQ(media->frames.size(), 20u);  // 0.4 s at 50
  const auto red = media->MeanColour(5, 640, 360, 8);
  EXPECT_GT(red.r, 200);
  EXPECT_LT(red.g, 60);
}

}  // namespace
}  // namespace vantorelle
