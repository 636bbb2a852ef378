// vantorelle-cli render --preset: each preset through the editor's own
// export, the quality given with --crf, and the final JSON line.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "model/file_facts.h"
#include "support/cli_runner.h"
#include "support/document_fixture.h"
#include "support/media_file_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::RunCli;
namespace fs = std::filesystem;

class RenderPresetsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
  }

  // One second of numbered 720 × 576 pictures over a tone; the time mark at 480 ms.
  std::string Project() {
    const std::string project = dir_.File("show.vrp");
    testing::TestDocument doc;
    HeadlessDocumentViews views;
    doc.doc.AttachViews(&views);
    testing::MovieParams params;
    params.width = 720;
    params.height = 576;
    params.frameCount = 25;
    const std::string moviePath = dir_.File("numbers.avi");
    EXPECT_TRUE(testing::WriteAvi(moviePath, params));
    CSrc& movie = doc.AddSource(moviePath, 1000.0, SourceFlags::MovieFile | SourceFlags::VideoStream);
    movie.frameWidth = 720;
    movie.frameHeight = 576;
    movie.modified = LastWriteText(ReadFileFacts(moviePath)->lastWrite);
    testing::WavParams wav;
    wav.sampleRate = 48000;
    const std::string tonePath = dir_.File("tone.wav");
    EXPECT_TRUE(testing::WriteWav(tonePath, wav));
    CSrc& tone = doc.AddSource(tonePath, 1000.0, SourceFlags::MovieFile | SourceFlags::AudioStream);
    tone.modified = LastWriteText(ReadFileFacts(tonePath)->lastWrite);
    for (const auto& [track, source] : {std::pair<std::size_t, CSrc*>{0, &movie}, {2, &tone}}) {
      auto clip = std::make_unique<CFilm>();
      clip->source = source;
      clip->name = source->name;
      clip->duration = clip->sourceLength = 1000.0;
      clip->flags = source->flags;
      ++source->usageCount;
      doc.Track(track).InsertInOrder(std::move(clip));
    }
    doc.ExpectConsistent({&movie, &tone});
    doc.doc.times.timeMark = 480.0;
    EXPECT_TRUE(SaveProjectFile(doc.doc, project));
    return project;
  }

  static nlohmann::json Json(const CliRun& run) {
    if (run.status != 0) return nullptr;
    return nlohmann::json::parse(run.out, nullptr, false);
  }

  testing::TempDir dir_;
};

TEST_F(RenderPresetsCli, EachPresetWritesItsFileAndTheJsonSaysWhatWasWritten) {
  const std::string project = Project();
  struct Case {
    const char* preset;
    const char* file;
    const char* video;
    const char* audio;
    int width;
    std::int64_t frames;
  };
  const Case cases[] = {
      {"prores", "out.mov", "prores", "pcm_s16le", 720, 25},
      {"mp4-half", "half.mp4", "h264", "aac", 360, 25},
      {"webm", "out.webm", "vp9", "opus", 720, 25},
      {"flac", "out.flac", "", "flac", 0, 0},
      {"png", "still.png", "png", "", 720, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preset);
    const std::string out = dir_.File(c.file);
    const CliRun run = RunCli({"render", project, out, "--quiet", "--preset", c.preset});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = Json(run);
    ASSERT_TRUE(json.is_object()) << run.out;
    EXPECT_EQ(json["output"], out);
    EXPECT_EQ(json["file"], out);
    EXPECT_EQ(json["preset"], c.preset);
    EXPECT_EQ(json["frames"], c.frames);
    const double filmSeconds = std::string(c.preset) == "png" ? 0.04 : 1.0;
    EXPECT_NEAR(json["duration"].get<double>(), filmSeconds, 1e-6);
    EXPECT_GT(json["seconds"].get<double>(), 0.0);
    EXPECT_NEAR(json["speed"].get<double>(), filmSeconds / json["seconds"].get<double>(), 1e-3);
    const auto media = testing::DecodeMediaFile(out);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->videoCodec, c.video);
    EXPECT_EQ(media->audioCodec, c.audio);
    EXPECT_EQ(media->width, c.width);
    if (std::string(c.preset) == "png") {
      ASSERT_EQ(media->frames.size(), 1u);
      // The frame under the time mark, 480 ms in: the movie's 12th.
      EXPECT_EQ(testing::ReadFrameNumber(media->frames[0].data(), 720, 576), 12);
    }
  }
}

TEST_F(RenderPresetsCli, TheQualityGivenReachesTheFileAndOneOffTheScaleIsRefused) {
  const std::string project = Project();
  const std::string best = dir_.File("best.mp4");
  const std::string worst = dir_.File("worst.mp4");
  ASSERT_EQ(RunCli({"render", project, best, "--quiet", "--preset", "mp4", "--crf", "14"}).status, 0);
  ASSERT_EQ(RunCli({"render", project, worst, "--quiet", "--format", "mp4", "--crf", "35"}).status, 0);
  EXPECT_GT(fs::file_size(best), fs::file_size(worst));

  const struct {
    std::vector<std::string> words;
    const char* says;
  } refused[] = {
      {{"--preset", "mp4", "--crf", "60"}, "--crf 60 is off the mp4 scale (14 best to 35 smallest)"},
      {{"--preset", "avi", "--crf", "1"}, "--crf 1 is off the avi scale"},
      {{"--preset", "prores", "--crf", "20"}, "the prores preset takes no --crf"},
      {{"--preset", "wav", "--crf", "20"}, "the wav preset takes no --crf"},
      {{"--crf", "abc"}, "--crf takes a whole number"},
      {{"--preset", "mov"}, "--preset takes mp4, mp4-half, prores, avi, webm, wav, flac, png"},
  };
  for (const auto& c : refused) {
    std::vector<std::string> words{"render", project, dir_.File("refused.mp4")};
    words.insert(words.end(), c.words.begin(), c.words.end());
    const CliRun run = RunCli(words);
    EXPECT_EQ(run.status, 2) << c.says << ": " << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(dir_.File("refused.mp4")));
}

}  // namespace
}  // namespace vantorelle
