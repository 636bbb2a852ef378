// A small project exported from the editor as a person does it, with every
// preset: ffprobe reads the file back with the preset's codecs. A cancelled
// export leaves nothing and keeps the file that was there.
#include <QLabel>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "shell/export_window_helpers.h"
#include "track_area_widget.h"
#include "support/sound_probe.h"
#include "model/timeline_data.h"

namespace vantorelle::testing {
namespace {

// ffprobe's values of the entries, one line each.
std::vector<std::string> Probe(const std::string& path, const std::string& entries) {
  const std::string command =
      "ffprobe -v error -show_entries " + entries + " -of csv=p=0 " + Quoted(path) + " 2>/dev/null";
  std::vector<std::string> lines;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return lines;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ',')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  pclose(pipe);
  return lines;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ExportRun : public ExportFixture {
 protected:
  void PlaceMovie() {
    ASSERT_TRUE(DropMovieOnVideoTrack(80));
    std::vector<const CSrc*> sources;
    for (const auto& s : Doc().sources) sources.push_back(s.get());
    const auto problems = CheckTimelineConsistency(Doc().timeline, sources);
    ASSERT_TRUE(problems.empty()) << problems.front();
  }
};

TEST_F(ExportRun, EveryPresetWritesAFileWithItsCodecs) {
  if (!HasFfmpegProgram()) GTEST_SKIP() << "no ffprobe";
  PlaceMovie();
  struct Expected {
    std::string codecs;  // video, then sound, as ffprobe lists the streams
    std::string width;   // of the picture; empty without one
  };
  const std::vector<Expected> expected = {
      {"h264 aac", "720"},  {"h264 aac", "360"},  {"prores pcm_s16le", "720"}, {"mjpeg pcm_s16le", "720"},
      {"vp9 opus", "720"},  {"pcm_s16le", ""},    {"flac", ""},                {"png", "720"},
  };
  ASSERT_EQ(expected.size(), ExportPresets().size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const ExportPreset& preset = ExportPresets()[i];
    SCOPED_TRACE(std::string(preset.name));
    const std::string target = dir_.File("out/film-" + std::string(preset.name) + "." + std::string(preset.extension));
    ui_.messages.clear();
    ASSERT_TRUE(StartExport(static_cast<int>(i), target));
    ASSERT_TRUE(Window().Exports().Running());
    ASSERT_TRUE(WaitFor([&] { return !Window().Exports().Running(); }, 180000));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "The export is finished:\n" + target);
    ASSERT_TRUE(std::filesystem::exists(target));
    std::string codecs;
    for (const std::string& codec : Probe(target, "stream=codec_name")) codecs += (codecs.empty() ? "" : " ") + codec;
    if (preset.id == ExportPresetId::ProRes) {
      // PCM of 16 or 24 bits.
      EXPECT_EQ(codecs.substr(0, 11), "prores pcm_") << codecs;
    } else {
      EXPECT_EQ(codecs, expected[i].codecs);
    }
    const auto widths = Probe(target, "stream=width");
    EXPECT_EQ(widths.empty() ? std::string() : widths.front(), expected[i].width);
  }
}

TEST_F(ExportRun, CancelLeavesNothingAndKeepsTheOldFile) {
  PlaceMovie();
  const std::string target = dir_.File("out/film.mp4");
  std::filesystem::create_directories(dir_.File("out"));
  { std::ofstream(target) << "the export before"; }
  ui_.messageAnswers = {MessageAnswer::Yes};  // replace it
  ASSERT_TRUE(StartExport(0, target));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("already exists"), std::string::npos);
  auto* exportWindow = Window().findChild<QWidget*>("exportProgressWindow");
  ASSERT_NE(exportWindow, nullptr);
  exportWindow->findChild<QPushButton*>("exportCancel")->click();
  ASSERT_TRUE(WaitFor([&] { return !Window().Exports().Running(); }, 30000));
  EXPECT_EQ(Window().Exports().View().line, "Export cancelled");
  EXPECT_EQ(Contents(target), "the export before");
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.File("out"))) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"film.mp4"}) << "no temporary file is left";
  EXPECT_EQ(ui_.messages.size(), 1u) << "a cancel is not announced by a message";
}

}  // namespace
}  // namespace vantorelle::testing
