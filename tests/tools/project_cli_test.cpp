// vantorelle-cli dump and resave on project files written by the editor's
// own saving code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "model/file_facts.h"
#include "support/cli_runner.h"
#include "support/document_fixture.h"
#include "support/json_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::Json;
using testing::RunCli;
using testing::TempDir;

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProjectCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
  }

  // A project with two sound files, one clip of each, linked, saved next to them.
  std::string SaveProject() {
    testing::TestDocument project;
    HeadlessDocumentViews views;
    project.doc.AttachViews(&views);
    std::vector<CFilm*> clips;
    for (const std::string name : {"one.wav", "two.wav"}) {
      const std::string path = dir_.File("media/" + name);
      testing::WavParams params;
      params.seconds = 1.0;
      EXPECT_TRUE(testing::WriteWav(path, params));
      CSrc& source = project.AddSource(path, 1000.0, SourceFlags::MovieFile | SourceFlags::AudioStream);
      source.modified = LastWriteText(ReadFileFacts(path)->lastWrite);
      auto clip = std::make_unique<CFilm>();
      clip->source = &source;
      clip->name = name;
      clip->start = clips.size() * 2000.0;
      clip->duration = 1000.0;
      clips.push_back(&project.Track(3).InsertInOrder(std::move(clip)));
    }
    CFilm::Link(*clips[0], *clips[1]);
    project.doc.timeline.workArea = {500.0, 7500.0};
    const std::string path = dir_.File("show.vrp");
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

  TempDir dir_;
};

TEST_F(ProjectCli, DumpShowsEverySectionInFileOrder) {
  const Json dump = Dump(SaveProject());
  EXPECT_EQ(dump.at("settings").at("formatWord").get<double>(), 1);
  EXPECT_EQ(dump.at("settings").at("workAreaStop").get<double>(), 7500);
  EXPECT_EQ(dump.at("settings").at("workAreaStart").get<double>(), 500);
  ASSERT_EQ(dump.at("tracks").size(), 6u);
  EXPECT_EQ(dump.at("tracks").at(3).at("trackIndex").get<double>(), 3);
  EXPECT_EQ(dump.at("windowLayout").at("clipCollectionBar").at("barState").get<double>(), 1);
  ASSERT_EQ(dump.at("sources").size(), 2u);
  EXPECT_EQ(dump.at("sources").at(1).at("storedPath").get<std::string>(), "media/two.wav");
  EXPECT_EQ(dump.at("sources").at(1).at("fileName").get<std::string>(), "two.wav");
  ASSERT_EQ(dump.at("clips").size(), 2u);
  EXPECT_EQ(dump.at("clips").at(1).at("clipNumber").get<double>(), 2);
  EXPECT_EQ(dump.at("clips").at(1).at("sourceIndex").get<double>(), 1);
  EXPECT_EQ(dump.at("clips").at(1).at("start").get<double>(), 2000);
  ASSERT_EQ(dump.at("clips").at(1).at("linkedClips").size(), 1u);
  EXPECT_EQ(dump.at("clips").at(1).at("linkedClips").at(0).get<double>(), 1);
}

TEST_F(ProjectCli, ResaveWritesTheSameProjectAndKeepsMissingSourcesOffline) {
  const std::string path = SaveProject();
  const std::string copy = dir_.File("copy.vrp");
  CliRun run = RunCli({"resave", path, copy});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(FileText(copy), FileText(path));
  EXPECT_EQ(run.err.find("offline"), std::string::npos) << run.err;

  // The media folder renamed: every clip stays and the file is unchanged.
  std::filesystem::rename(dir_.File("media"), dir_.File("media-away"));
  const std::string offline = dir_.File("offline.vrp");
  run = RunCli({"resave", path, offline});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(FileText(offline), FileText(path));
  EXPECT_NE(run.err.find("offline source (file not found): " + dir_.File("media/one.wav")), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(dir_.File("media/two.wav")), std::string::npos) << run.err;
  const auto report = testing::ReadJson(run.out);
  ASSERT_TRUE(report) << run.out;
  EXPECT_EQ(report->at("sources").get<double>(), 2);
  EXPECT_EQ(report->at("clips").get<double>(), 2);
  ASSERT_EQ(report->at("offlineSources").size(), 2u);
  EXPECT_EQ(report->at("offlineSources").at(1).at("storedPath").get<std::string>(), "media/two.wav");

  const CliRun dumped = RunCli({"dump", offline});
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  const auto dump = testing::ReadJson(dumped.out);
  ASSERT_TRUE(dump) << dumped.out;
  ASSERT_EQ(dump->at("clips").size(), 2u);
  EXPECT_EQ(dump->at("clips").at(0).at("linkedClips").size(), 1u);
  ASSERT_EQ(dump->at("offlineSources").size(), 2u);
  EXPECT_EQ(dump->at("offlineSources").at(0).at("fileName").get<std::string>(), "one.wav");

  // Back in place, the files are found again.
  std::filesystem::rename(dir_.File("media-away"), dir_.File("media"));
  run = RunCli({"resave", offline, copy});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(testing::ReadJson(run.out).value().at("offlineSources").size(), 0u);
  EXPECT_EQ(Dump(copy).at("offlineSources").size(), 0u);
}

TEST_F(ProjectCli, DamagedOrMissingFilesFailOnStderr) {
  const std::string path = SaveProject();
  std::string bytes = FileText(path);
  const std::string damaged = dir_.WriteFile("damaged.vrp", bytes.substr(0, bytes.size() - 7));
  CliRun run = RunCli({"dump", damaged});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("damaged project file (clips"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());

  run = RunCli({"resave", damaged, dir_.File("out.vrp")});
  EXPECT_NE(run.status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out.vrp")));

  run = RunCli({"dump", dir_.File("nothing.vrp")});
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("cannot be read"), std::string::npos);
}

}  // namespace
}  // namespace vantorelle
