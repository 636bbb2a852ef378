// vantorelle-cli media-info on real files: what the Clip Collection would make
// of each, as JSON, and a non-zero exit when any file is refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>

#include "support/cli_runner.h"
#include "support/file_bytes.h"
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
  const std::string folder = dir_.File("folder.mp4");
  std::filesystem::create_directory(folder);
  const std::string pipe = dir_.File("pipe.mp4");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);

  const Json info = MediaInfo({good, text, empty, noData, brokenImage, notMedia, missing, folder, pipe}, 1);
  ASSERT_EQ(info.size(), 9u);
  EXPECT_FALSE(info.at(0).contains("error"));
  for (std::size_t i = 1; i < 9; ++i) {
    ASSERT_TRUE(info.at(i).contains("error")) << i;
    EXPECT_FALSE(info.at(i).contains("flags")) << i;
  }
  const auto error = [&](std::size_t i) { return info.at(i).at("error").get<std::string>(); };
  EXPECT_EQ(error(1), "Can't use the file " + text + ": no picture or sound stream.");
  EXPECT_EQ(error(2), "Can't use the file " + empty + ": no picture or sound stream.");
  EXPECT_EQ(error(3), "Can't use the file " + noData + ": damaged file.");
  EXPECT_EQ(error(4), "Can't use the file " + brokenImage + ": damaged file.");
  EXPECT_EQ(error(5), "Can't use the file " + notMedia + ": no picture or sound stream.");
  EXPECT_EQ(info.at(6).at("error").get<std::string>(), "file not found");
  EXPECT_EQ(info.at(7).at("error").get<std::string>(), "is a folder, not a file");
  EXPECT_EQ(info.at(8).at("error").get<std::string>(), "not a regular file");
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

// Runs the ffmpeg program on lavfi sources; false when it fails.
bool Make(const std::string& arguments, const std::string& path) {
  const std::string command = "ffmpeg -hide_banner -loglevel error -y " + arguments + " '" + path + "'";
  return std::system(command.c_str()) == 0;
}

constexpr const char* kPicture = "-f lavfi -i testsrc=size=64x48:rate=10:duration=0.5 ";
constexpr const char* kSound = "-f lavfi -i sine=frequency=440:sample_rate=8000:duration=0.5 ";

TEST_F(MediaInfoCli, EveryCommonContainerAndCodecBecomesASource) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program";
  struct Case {
    const char* name;
    std::string arguments;
    const char* videoCodec;  // null: sound alone
    const char* audioCodec;  // null: picture alone
  };
  const std::string both = std::string(kPicture) + kSound;
  const std::string picture = kPicture;
  const std::string sound = kSound;
  const std::vector<Case> cases{
      {"phone.mp4", both + "-c:v libx264 -bf 2 -c:a aac", "h264", "aac"},
      {"clip.m4v", picture + "-c:v libx264", "h264", nullptr},
      {"camera.MOV", both + "-c:v mpeg4 -c:a aac", "mpeg4", "aac"},
      {"download.mkv", both + "-c:v libx265 -x265-params log-level=none -c:a flac", "hevc", "flac"},
      {"stream.webm", both + "-c:v libvpx-vp9 -c:a libopus", "vp9", "opus"},
      {"camera.mts", both + "-c:v mpeg2video -c:a mp2", "mpeg2video", "mp2"},
      {"disc.m2ts", picture + "-c:v libx264 -f mpegts", "h264", nullptr},
      {"broadcast.ts", picture + "-c:v libx264", "h264", nullptr},
      {"dvd.mpg", both + "-c:v mpeg2video -c:a mp2", "mpeg2video", "mp2"},
      {"studio.mxf", picture + "-c:v mpeg2video -r 25 -pix_fmt yuv422p", "mpeg2video", nullptr},
      {"old.flv", both + "-c:v flv -c:a libmp3lame -ar 22050", "flv1", "mp3"},
      {"free.ogv", both + "-c:v libtheora -c:a libvorbis", "theora", "vorbis"},
      {"office.wmv", both + "-c:v wmv2 -c:a wmav2", "wmv2", "wmav2"},
      {"song.mp3", sound + "-c:a libmp3lame", nullptr, "mp3"},
      {"song.aac", sound + "-c:a aac", nullptr, "aac"},
      {"song.m4a", sound + "-c:a aac", nullptr, "aac"},
      {"song.flac", sound + "-c:a flac", nullptr, "flac"},
      {"song.ogg", sound + "-c:a libvorbis", nullptr, "vorbis"},
      {"song.opus", sound + "-c:a libopus -ar 48000", nullptr, "opus"},
      {"song.aiff", sound, nullptr, "pcm_s16be"},
      {"song.wma", sound + "-c:a wmav2", nullptr, "wmav2"},
      {"float.wav", sound + "-c:a pcm_f32le", nullptr, "pcm_f32le"},
      {"wide.wav", sound + "-c:a pcm_s24le", nullptr, "pcm_s24le"},
      {"phone video without extension", both + "-c:v libx264 -c:a aac -f mp4", "h264", "aac"},
  };
  std::vector<std::string> files;
  for (const Case& c : cases) {
    files.push_back(dir_.File(c.name));
    ASSERT_TRUE(Make(c.arguments, files.back())) << c.name;
  }
  const Json info = MediaInfo(files, 0);
  ASSERT_EQ(info.size(), cases.size()) << lastErr_;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const Json& m = info.at(i);
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(m.contains("error")) << m.at("error").get<std::string>();
    const double flags = 0x10000 + (c.videoCodec ? 0x2 : 0) + (c.audioCodec ? 0x4 : 0);
    EXPECT_EQ(m.at("flags").get<double>(), flags);
    EXPECT_GT(m.at("duration").get<double>(), 250.0);
    EXPECT_LT(m.at("duration").get<double>(), 750.0);
    EXPECT_EQ(m.at("width").get<double>(), c.videoCodec ? 64 : 0);
    EXPECT_EQ(m.at("height").get<double>(), c.videoCodec ? 48 : 0);
    const std::string name = c.name;
    const std::size_t dot = name.rfind('.');
    EXPECT_EQ(m.at("type").get<std::string>(), (dot == std::string::npos ? "" : name.substr(dot + 1)) + " file");
    if (c.videoCodec) {
      EXPECT_EQ(m.at("videoCodec").get<std::string>(), c.videoCodec);
      EXPECT_GT(m.at("frameRate").get<double>(), 9.0);
      EXPECT_EQ(m.at("pixelAspect").get<std::string>(), "1:1");
      EXPECT_FALSE(m.at("colourMatrix").get<std::string>().empty());
    } else {
      EXPECT_FALSE(m.contains("videoCodec"));
    }
    if (c.audioCodec) {
      EXPECT_EQ(m.at("audioCodec").get<std::string>(), c.audioCodec);
      EXPECT_GE(m.at("sampleRate").get<double>(), 8000);
      EXPECT_EQ(m.at("channels").get<double>(), 1);
      EXPECT_EQ(m.at("channelLayout").get<std::string>(), "mono");
    } else {
      EXPECT_FALSE(m.contains("audioCodec"));
    }
  }
}

TEST_F(MediaInfoCli, StillImagesOfEveryCommonTypeBecomeSources) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program";
  const std::string still = std::string(kPicture) + "-frames:v 1 ";
  const std::vector<std::pair<std::string, std::string>> cases{
      {"a.png", still}, {"b.jpg", still}, {"c.bmp", still}, {"d.tga", still},
      {"e.tiff", still}, {"f.webp", still + "-c:v libwebp"}, {"g.gif", kPicture}};
  std::vector<std::string> files;
  for (const auto& [name, arguments] : cases) {
    files.push_back(dir_.File(name));
    ASSERT_TRUE(Make(arguments, files.back())) << name;
  }
  const Json info = MediaInfo(files, 0);
  for (std::size_t i = 0; i < info.size(); ++i) {
    SCOPED_TRACE(cases[i].first);
    ASSERT_FALSE(info.at(i).contains("error")) << info.at(i).at("error").get<std::string>();
    EXPECT_EQ(info.at(i).at("flags").get<double>(), 0x2);
    EXPECT_EQ(info.at(i).at("width").get<double>(), 64);
    EXPECT_EQ(info.at(i).at("height").get<double>(), 48);
  }
}

TEST_F(MediaInfoCli, FilesThatCannotBeUsedSayWhy) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program";
  const std::string subtitles = dir_.WriteFile("words.srt", "1\n00:00:00,000 --> 00:00:01,000\nHello\n");
  const std::string subtitlesOnly = dir_.File("subtitles.mkv");
  ASSERT_TRUE(Make("-i '" + subtitles + "'", subtitlesOnly));
  const std::string textNamedMp4 = dir_.WriteFile("notes.mp4", "Dear diary, today I made a film.\n");

  const std::string whole = dir_.File("whole.mp4");
  ASSERT_TRUE(Make(std::string(kPicture) + kSound + "-c:v libx264 -c:a aac", whole));
  const std::string truncated = dir_.File("truncated.mp4");
  std::filesystem::copy_file(whole, truncated);
  std::filesystem::resize_file(truncated, std::filesystem::file_size(whole) / 2);

  // An AVI whose picture codec tag no decoder knows.
  const std::string unknown = dir_.File("unknown.avi");
  ASSERT_TRUE(Make(std::string(kPicture) + "-c:v mjpeg", unknown));
  const std::vector<std::uint8_t> stored = testing::FileBytes(unknown);
  std::string bytes(stored.begin(), stored.end());
  for (std::size_t at = bytes.find("MJPG"); at != std::string::npos; at = bytes.find("MJPG", at)) {
    bytes.replace(at, 4, "QQQQ");
  }
  testing::WriteBytes(unknown, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));

  const Json info = MediaInfo({subtitlesOnly, textNamedMp4, truncated, unknown}, 1);
  ASSERT_EQ(info.size(), 4u);
  const auto error = [&](std::size_t i) { return info.at(i).at("error").get<std::string>(); };
  EXPECT_EQ(error(0), "Can't use the file " + subtitlesOnly + ": no picture or sound stream.");
  EXPECT_EQ(error(1), "Can't use the file " + textNamedMp4 + ": no picture or sound stream.");
  EXPECT_EQ(error(2), "Can't use the file " + truncated + ": damaged file.");
  EXPECT_EQ(error(3), "Can't use the file " + unknown + ": codec QQQQ cannot be decoded.");
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
