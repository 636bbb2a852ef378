// Writes the seed corpora of the fuzz harnesses with the project's own
// writers, so the seeds follow the formats as they change:
//   make_seeds OUTPUT_DIR [NAME...]
// makes OUTPUT_DIR/NAME/ for each harness named (all of them when none is),
// replacing the seeds already there.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "collection/source_drag_payload.h"
#include "commands/shortcut_file.h"
#include "document/file_settings_store.h"
#include "document/project_file_format.h"
#include "support/avi_builder.h"
#include "support/test_media_writer.h"
#include "support/tml_builder.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class SeedWriter {
 public:
  explicit SeedWriter(fs::path folder) : folder_(std::move(folder)) {}

  const fs::path& Folder() const { return folder_; }
  fs::path Next(const std::string& extension = {}) { return folder_ / ("seed-" + std::to_string(count_++) + extension); }

  void Add(const Bytes& bytes) {
    std::ofstream out(Next(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void Add(const std::string& bytes) { Add(Bytes(bytes.begin(), bytes.end())); }

 private:
  fs::path folder_;
  int count_ = 0;
};

ProjectFileContents SmallProject() {
  ProjectFileContents contents;
  contents.settings.projectSize = 12000.0;
  contents.settings.workAreaStop = 8000.0;
  for (std::int32_t i = 0; i < 3; ++i) {
    ProjectTrackRecord track;
    track.typeWord = static_cast<std::uint32_t>(i == 2 ? 2 : 1);
    track.name = "Track " + std::to_string(i + 1);
    track.height = 40;
    track.trackIndex = i;
    contents.tracks.push_back(track);
  }
  contents.favourites.push_back({"Media", "/home/editor/media", 1});
  contents.treeNodes.push_back({"/home/editor/media", 1});
  ProjectSourceRecord source;
  source.sourceIndex = 0;
  source.fullPath = "/home/editor/media/take1.avi";
  source.storedPath = "media/take1.avi";
  source.fileName = "take1.avi";
  source.modified = "2024-05-01 10:00:00";
  source.duration = 4000.0;
  source.fileSize = 123456;
  source.frameWidth = 320;
  source.frameHeight = 240;
  contents.sources.push_back(source);
  for (std::int32_t i = 0; i < 2; ++i) {
    ProjectClipRecord clip;
    clip.number = i;
    clip.sourceIndex = 0;
    clip.trackIndex = i;
    clip.name = "take1";
    clip.sourceLength = 4000.0;
    clip.start = 1000.0 * i;
    clip.duration = 2000.0;
    clip.linkedNumbers = {1 - i};
    contents.clips.push_back(clip);
  }
  return contents;
}

void ProjectSeeds(SeedWriter& seeds) {
  ProjectFileContents oneTrack;
  oneTrack.tracks.emplace_back();
  seeds.Add(WriteProjectFile(oneTrack));
  seeds.Add(WriteProjectFile(SmallProject()));
}

void TmlSeeds(SeedWriter& seeds) {
  using testing::TmlBuilder;
  using testing::TmlItemBuilder;
  seeds.Add(TmlBuilder().Bytes());
  seeds.Add(TmlBuilder().Item(TmlItemBuilder().Movie("/m/a.avi", 0, 4000, 0, 0).Name("Opening")).Bytes());
  seeds.Add(TmlBuilder()
                .ChunkBefore(7, testing::TmlI32(1))
                .ChannelLevels({512, 300, 700})
                .MasterLevel(400)
                .Item(TmlItemBuilder().Movie("clips/b.avi", 1000, 3000, 1, 2).InPoint(200).Level(300)
                          .Envelope({{0, 512}, {500, 256}, {1500, 700}}))
                .Item(TmlItemBuilder().Start(0).Stop(2000).SoundFile("/m/c.wav").SoundSlot(3))
                .ChunkAfter(9, testing::TmlI32(2))
                .Bytes());
}

void ShortcutSeeds(SeedWriter& seeds) {
  seeds.Add(ShortcutFileBytes({}));
  seeds.Add(ShortcutFileBytes(DefaultShortCutList()));
}

void SettingsSeeds(SeedWriter& seeds) {
  seeds.Add(EncodeSettingsFile({}));
  SettingsSections sections;
  sections["Window"]["Left"] = std::int32_t{40};
  sections["Window"]["Placement"] = SettingsBytes{1, 2, 3, 4, 5, 6, 7, 8};
  sections["ShortCutTable"]["ShortCut Counter"] = std::int32_t{1};
  sections["ShortCutTable"]["ShortCut_0"] = SettingsBytes(20, 7);
  seeds.Add(EncodeSettingsFile(sections));
}

void DragPayloadSeeds(SeedWriter& seeds) {
  seeds.Add(*BuildClipListPayload({}));
  seeds.Add(*BuildClipListPayload({"/m/one.avi", "/m/two.wav", "x"}));
  seeds.Add(*BuildFileViewerPayload("/home/editor/media/take1.avi"));
}

void AviSeeds(SeedWriter& seeds) {
  using testing::AviBuildIndex;
  using testing::AviBuildParams;
  using testing::AviBuildStream;
  AviBuildStream video;
  video.width = 32;
  video.height = 24;
  video.chunks = {"frame-0", "frame-1", "", "frame-3"};
  video.keyFrames = {true, false, false, true};
  AviBuildStream sound;
  sound.type = "auds";
  sound.handler = std::string(4, '\0');
  sound.chunks = {"pcm0", "pcm1"};
  for (AviBuildIndex index : {AviBuildIndex::None, AviBuildIndex::Idx1FromMovi, AviBuildIndex::Idx1FromFileStart,
                              AviBuildIndex::OpenDml}) {
    AviBuildParams params;
    params.streams = {video, sound};
    params.index = index;
    seeds.Add(testing::BuildAvi(params));
  }
  // Files of FFmpeg's muxer, kept tiny so the fuzzer's inputs stay short.
  testing::MovieParams movie;
  movie.width = 16;
  movie.height = 16;
  movie.frameCount = 3;
  movie.pattern = testing::FramePattern::Solid;
  for (testing::MovieCodec codec : {testing::MovieCodec::Mjpeg, testing::MovieCodec::Mpeg4}) {
    movie.codec = codec;
    movie.gopSize = 2;
    std::string error;
    if (!testing::WriteAvi(seeds.Next(".avi").string(), movie, &error)) {
      std::fprintf(stderr, "make_seeds: no muxer-made AVI: %s\n", error.c_str());
    }
  }
}

const std::map<std::string, std::function<void(SeedWriter&)>>& Generators() {
  static const std::map<std::string, std::function<void(SeedWriter&)>> generators = {
      {"project_file", ProjectSeeds},   {"tml", TmlSeeds},
      {"shortcut_file", ShortcutSeeds}, {"settings_file", SettingsSeeds},
      {"drag_payload", DragPayloadSeeds}, {"avi_info", AviSeeds},
  };
  return generators;
}

}  // namespace
}  // namespace vantorelle

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_seeds OUTPUT_DIR [NAME...]\n");
    return 2;
  }
  const auto& generators = vantorelle::Generators();
  std::vector<std::string> names;
  for (int i = 2; i < argc; ++i) names.emplace_back(argv[i]);
  if (names.empty()) {
    for (const auto& [name, generate] : generators) names.push_back(name);
  }
  for (const std::string& name : names) {
    const auto generator = generators.find(name);
    if (generator == generators.end()) {
      std::fprintf(stderr, "make_seeds: no harness called %s\n", name.c_str());
      return 2;
    }
    const fs::path folder = fs::path(argv[1]) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    vantorelle::SeedWriter seeds(folder);
    generator->second(seeds);
  }
  return 0;
}
