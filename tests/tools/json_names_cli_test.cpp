// The tool's JSON stays valid whatever bytes a file name holds: a name that
// is not UTF-8 is shown with U+FFFD in place of each bad byte, and its exact
// bytes follow in a "...Bytes" member, %XX-escaped.
#include <gtest/gtest.h>

#include <string>

#include "document/headless_views.h"
#include "document/project_storage.h"
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

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The bytes behind a "...Bytes" member.
std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// Checks that member key of object renders text: exact when it is UTF-8,
// else readable with replacements plus the exact bytes beside it.
void ExpectName(const Json& object, const std::string& key, const std::string& text, const std::string& shown) {
  SCOPED_TRACE(key);
  ASSERT_TRUE(object.contains(key)) << object.dump();
  EXPECT_EQ(object.at(key).get<std::string>(), shown);
  if (shown == text) {
    EXPECT_FALSE(object.contains(key + "Bytes")) << object.dump();
    return;
  }
  ASSERT_TRUE(object.contains(key + "Bytes")) << object.dump();
  const std::string bytes = object.at(key + "Bytes").get<std::string>();
  EXPECT_EQ(PercentDecoded(bytes), text) << bytes;
  for (const char c : bytes) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << bytes;
}

class JsonNamesCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
  }

  Json Parsed(const CliRun& run) {
    const auto json = testing::ReadJson(run.out);
    EXPECT_TRUE(json) << "not valid JSON: " << run.out;
    return json ? *json : Json::object();
  }

  TempDir dir_;
};

TEST_F(JsonNamesCli, MediaInfoKeepsEveryByteOfAName) {
  testing::WavParams params;
  params.seconds = 0.5;
  const std::string latin1 = dir_.File("caf\xE9 50%.wav");
  ASSERT_TRUE(testing::WriteWav(latin1, params));
  const std::string utf8 = dir_.File("caf\xC3\xA9.wav");
  ASSERT_TRUE(testing::WriteWav(utf8, params));
  // A cut-off sequence, a lone continuation byte and an overlong slash.
  const std::string missing = dir_.File("gone\xE2\x82 \x80\xC0\xAF.avi");

  const CliRun run = RunCli({"media-info", latin1, utf8, missing});
  EXPECT_EQ(run.status, 1) << run.err;
  const Json info = Parsed(run);
  ASSERT_EQ(info.size(), 3u);

  const std::string folder = dir_.Path().string() + "/";
  ExpectName(info.at(0), "path", latin1, folder + "caf" + kReplacement + " 50%.wav");
  ExpectName(info.at(0), "name", "caf\xE9 50%.wav", std::string("caf") + kReplacement + " 50%.wav");
  EXPECT_NE(info.at(0).at("pathBytes").get<std::string>().find("caf%E9 50%25.wav"), std::string::npos);
  EXPECT_EQ(info.at(0).at("flags"), 0x10004);

  ExpectName(info.at(1), "path", utf8, utf8);
  ExpectName(info.at(1), "name", "caf\xC3\xA9.wav", "caf\xC3\xA9.wav");

  const std::string r = kReplacement;
  ExpectName(info.at(2), "path", missing, folder + "gone" + r + r + " " + r + r + r + ".avi");
  EXPECT_EQ(info.at(2).at("error"), "file not found");
}

TEST_F(JsonNamesCli, DumpAndResaveKeepEveryByteOfAName) {
  const std::string sourcePath = dir_.File("m\xE8" "dia/t\xF6ne.wav");  // never written: offline
  const std::string project = dir_.File("sh\xF6w.vrp");
  {
    testing::TestDocument document;
    HeadlessDocumentViews views;
    document.doc.AttachViews(&views);
    CSrc& source = document.AddSource(sourcePath, 1000.0, SourceFlags::MovieFile | SourceFlags::AudioStream);
    auto clip = std::make_unique<CFilm>();
    clip->source = &source;
    clip->name = "t\xF6ne.wav";
    clip->duration = 1000.0;
    document.Track(3).InsertInOrder(std::move(clip));
    ASSERT_TRUE(SaveProjectFile(document.doc, project));
  }
  const std::string r = kReplacement;
  const std::string shownPath = dir_.Path().string() + "/m" + r + "dia/t" + r + "ne.wav";
  const std::string shownName = "t" + r + "ne.wav";

  CliRun run = RunCli({"dump", project});
  ASSERT_EQ(run.status, 0) << run.err;
  const Json dump = Parsed(run);
  ASSERT_EQ(dump.at("sources").size(), 1u);
  ExpectName(dump.at("sources").at(0), "fullPath", sourcePath, shownPath);
  ExpectName(dump.at("sources").at(0), "fileName", "t\xF6ne.wav", shownName);
  ASSERT_EQ(dump.at("clips").size(), 1u);
  ExpectName(dump.at("clips").at(0), "clipName", "t\xF6ne.wav", shownName);
  ASSERT_EQ(dump.at("offlineSources").size(), 1u);
  ExpectName(dump.at("offlineSources").at(0), "fullPath", sourcePath, shownPath);

  const std::string copy = dir_.File("c\xF6py.vrp");
  run = RunCli({"resave", project, copy});
  ASSERT_EQ(run.status, 0) << run.err;
  const Json report = Parsed(run);
  ExpectName(report, "input", project, dir_.Path().string() + "/sh" + r + "w.vrp");
  ExpectName(report, "output", copy, dir_.Path().string() + "/c" + r + "py.vrp");
  ASSERT_EQ(report.at("offlineSources").size(), 1u);
  ExpectName(report.at("offlineSources").at(0), "fileName", "t\xF6ne.wav", shownName);
}

TEST_F(JsonNamesCli, RenderNamesItsOutputByEveryByte) {
  const std::string sound = dir_.File("t\xF6ne.wav");
  testing::WavParams params;
  params.seconds = 0.4;
  ASSERT_TRUE(testing::WriteWav(sound, params));
  const std::string project = dir_.File("sh\xF6w.vrp");
  {
    testing::TestDocument document;
    HeadlessDocumentViews views;
    document.doc.AttachViews(&views);
    CSrc& source = document.AddSource(sound, 400.0, SourceFlags::MovieFile | SourceFlags::AudioStream);
    auto clip = std::make_unique<CFilm>();
    clip->source = &source;
    clip->name = "t\xF6ne.wav";
    clip->duration = 400.0;
    document.Track(3).InsertInOrder(std::move(clip));
    ASSERT_TRUE(SaveProjectFile(document.doc, project));
  }
  const std::string output = dir_.File("r\xE9sult.avi");
  const CliRun run = RunCli({"render", project, output, "--quiet"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Json report = Parsed(run);
  ExpectName(report, "output", output, dir_.Path().string() + "/r" + kReplacement + "sult.avi");
  EXPECT_EQ(report.at("format"), "avi");
}

}  // namespace
}  // namespace vantorelle
