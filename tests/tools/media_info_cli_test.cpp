// vantorelle-cli media-info on real files: what the Clip Collection would make
// of each, as JSON, and a non-zero exit when any file is refused.
#include <gtest/gtest.h>

#include <cstdlib>
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

class MediaInfoCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
  }

  // Runs media-info and parses its output, which must be a JSON array.
  Json MediaInfo(const std::vector<std::string>& files, int expectedStatus,
                 std::vector<std::string> options = {}) {
    options.push_back("media-info");
    options.insert(options.end(), files.begin(), files.end());
    const CliRun run = RunCli(options);
    EXPECT_EQ(run.status, expectedStatus) << run.err;
    auto json = testing::ReadJson(run.out);
    EXPECT_TRUE(json && json->is_array()) << run.out;
    if (!json || !json->is_array()) return Json::array();
    EXPECT_EQ(json->size(), files.size());
    lastErr_ = run.err;
    return *json;
  }

  std::string Movie(const std::string& name, const testing::MovieParams& params) {
    const std::string path = dir_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteAvi(path, params, &error)) << error;
    return path;
  }

  TempDir dir_;
  std::string lastErr_;
};

TEST_F(MediaInfoCli, DescribesMoviesSoundsAndImages) {
  testing::MovieParams movieParams;
  movieParams.width = 352;
  movieParams.height = 288;
  movieParams.frameCount = 50;
  movieParams.withAudio = true;
  const std::string movie = Movie("Take One.AVI", movieParams);
  testing::WavParams wavParams;
  wavParams.seconds = 1.5;
  const std::string wav = dir_.File("voice.wav");
  ASSERT_TRUE(testing::WriteWav(wav, wavParams));
  const std::string png = dir_.File("logo.png");
  ASSERT_TRUE(testing::WriteImage(png, testing::ImageFormat::Png, 64, 48, {0, 128, 255}));

  const Json info = MediaInfo({movie, wav, png}, 0);
  ASSERT_EQ(info.size(), 3u);
  const Json& m = info.at(0);
  EXPECT_EQ(m.at("path").get<std::string>(), movie);
  EXPECT_EQ(m.at("name").get<std::string>(), "Take One.AVI");
  EXPECT_EQ(m.at("flags").get<double>(), 0x10006);  // movie file with picture and sound
  EXPECT_NEAR(m.at("duration").get<double>(), 2000.0, 0.5);
  EXPECT_EQ(m.at("width").get<double>(), 352);
  EXPECT_EQ(m.at("height").get<double>(), 288);
  EXPECT_EQ(m.at("size").get<double>(), static_cast<double>(std::filesystem::file_size(movie)));
  EXPECT_EQ(m.at("type").get<std::string>(), "Video Clip");
  EXPECT_EQ(m.at("modified").get<std::string>().size(), 19u);  // "dd/mm/yyyy hh:mm:ss"

  const Json& w = info.at(1);
  EXPECT_EQ(w.at("flags").get<double>(), 0x10004);  // movie file with sound alone
  EXPECT_NEAR(w.at("duration").get<double>(), 1500.0, 0.5);
  EXPECT_EQ(w.at("width").get<double>(), 0);
  EXPECT_EQ(w.at("type").get<std::string>(), "wav file");

  const Json& p = info.at(2);
  EXPECT_EQ(p.at("flags").get<double>(), 0x2);  // a still picture
  EXPECT_EQ(p.at("duration").get<double>(), 0);
  EXPECT_EQ(p.at("width").get<double>(), 64);
  EXPECT_EQ(p.at("height").get<double>(), 48);
}

TEST_F(MediaInfoCli, RefusedFilesSayWhyAndFailTheRun) {
  const std::string good = dir_.File("good.png");
  ASSERT_TRUE(testing::WriteImage(good, testing::ImageFormat::Png, 16, 16, {1, 2, 3}));
  const std::string text = dir_.WriteFile("x.avi", "This is a text file, not a movie.\n");
  const std::string empty = dir_.WriteFile("empty.wav", "");
  testing::WavParams headerOnly;
  headerOnly.headerOnly = true;
  const std::string noData = dir_.File("nodata.wav");
  ASSERT_TRUE(testing::WriteWav(noData, headerOnly));
  const std::string brokenImage = dir_.WriteFile("broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "garbage");
  const std::string notMedia = dir_.WriteFile("notes.txt", "hello");
  const std::string missing = dir_.File("missing.avi");

  const Json info = MediaInfo({good, text, empty, noData, brokenImage, notMedia, missing}, 1);
  ASSERT_EQ(info.size(), 7u);
  EXPECT_FALSE(info.at(0).contains("error"));
  for (std::size_t i = 1; i < 7; ++i) {
    ASSERT_TRUE(info.at(i).contains("error")) << i;
    EXPECT_FALSE(info.at(i).contains("flags")) << i;
  }
  EXPECT_EQ(info.at(1).at("error").get<std::string>().rfind("OpenFile failed", 0), 0u)
      << info.at(1).at("error").get<std::string>();
  EXPECT_EQ(info.at(2).at("error").get<std::string>().rfind("OpenFile failed", 0), 0u)
      << info.at(2).at("error").get<std::string>();
  EXPECT_EQ(info.at(3).at("error").get<std::string>().rfind("OpenFile failed", 0), 0u)
      << info.at(3).at("error").get<std::string>();
  EXPECT_EQ(info.at(4).at("error").get<std::string>().rfind("Load file failed", 0), 0u)
      << info.at(4).at("error").get<std::string>();
  EXPECT_EQ(info.at(5).at("error").get<std::string>(), "not a movie, sound or image file");
  EXPECT_EQ(info.at(6).at("error").get<std::string>(), "file not found");
  EXPECT_NE(lastErr_.find("missing.avi"), std::string::npos) << lastErr_;
}

TEST_F(MediaInfoCli, ReadsMoviesMadeByTheFfmpegProgram) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program";
  struct Case {
    const char* name;
    const char* codec;
  } cases[] = {{"mjpeg.avi", "-c:v mjpeg"}, {"mpeg4.avi", "-c:v mpeg4"}, {"raw.avi", "-c:v rawvideo -pix_fmt bgr24"}};
  std::vector<std::string> files;
  for (const Case& c : cases) {
    files.push_back(dir_.File(c.name));
    const std::string command = std::string("ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25 ") +
                                "-f lavfi -i sine=frequency=440:sample_rate=32000 -t 3 " + c.codec +
                                " -c:a pcm_s16le '" + files.back() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  files.push_back(dir_.File("tone.wav"));
  ASSERT_EQ(std::system(("ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:sample_rate=22050 -t 2.5 '" +
                         files.back() + "'").c_str()), 0);

  const Json info = MediaInfo(files, 0);
  ASSERT_EQ(info.size(), 4u);
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(files[i]);
    EXPECT_EQ(info.at(i).at("flags").get<double>(), 0x10006);
    EXPECT_NEAR(info.at(i).at("duration").get<double>(), 3000.0, 1.0);
    EXPECT_EQ(info.at(i).at("width").get<double>(), 320);
    EXPECT_EQ(info.at(i).at("height").get<double>(), 240);
  }
  EXPECT_EQ(info.at(3).at("flags").get<double>(), 0x10004);
  EXPECT_NEAR(info.at(3).at("duration").get<double>(), 2500.0, 1.0);
}

TEST_F(MediaInfoCli, WithoutABoardNothingCanBeMeasured) {
  const std::string png = dir_.File("logo.png");
  ASSERT_TRUE(testing::WriteImage(png, testing::ImageFormat::Png, 8, 8, {9, 9, 9}));
  const Json info = MediaInfo({png}, 1, {"--no-board"});
  ASSERT_EQ(info.size(), 1u);
  EXPECT_TRUE(info.at(0).contains("error"));
}

TEST_F(MediaInfoCli, UsageErrorsGoToStandardError) {
  CliRun run = RunCli({"media-info"});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.out.empty());
  EXPECT_FALSE(run.err.empty());
  run = RunCli({"no-such-command"});
  EXPECT_EQ(run.status, 2);
  EXPECT_FALSE(run.err.empty());
  run = RunCli({"--video-standard", "secam", "media-info", "x.avi"});
  EXPECT_EQ(run.status, 2);
  EXPECT_FALSE(run.err.empty());
}

}  // namespace
}  // namespace vantorelle
