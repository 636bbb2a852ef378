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
#include "document/headless_views.h"
#include "document/project_file_format.h"
#include "document/project_storage.h"
#include "document/vantorelle_doc.h"
#include "edit_steps.h"
#include "fuzz_media.h"
#include "model/video_standard_query.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "support/file_bytes.h"
#include "support/scripted_user_interface.h"
#include "timeline/source_placement.h"
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

// Projects written by the editor itself beside the media the document
// harness makes, so their relative paths name those files.
class SeedProjects {
 public:
  SeedProjects()
      : quiet_((fuzzing::QuietMediaLibraries(), true)),
        folder_(fuzzing::MakeScratchFolder("vantorelle-seeds")),
        names_(fuzzing::WriteFuzzMedia(folder_)),
        factory_(CreateSoftwareBoardFactory(fuzzing::FuzzBoardFormat())) {
    SetBoardPresent(QueryBoardStandard(*factory_));
  }

  bool Ready() const { return !names_.empty(); }

  // A new project, shaped by the function, as the editor saves it.
  Bytes Make(const std::function<void(CVantorelleDoc&)>& shape) {
    MemorySettingsStore store;
    testing::ScriptedUserInterface ui;
    HeadlessDocumentViews views;
    CVantorelleDoc doc(DocumentServices{store, true, ui, *factory_, nullptr});
    doc.AttachViews(&views);
    doc.SetProjectPath((folder_ / "seed.vrp").string());
    const SourceReadContext context{MediaReadContext{*factory_, ui, FrameSizeRule{}}, doc.stillImages, nullptr};
    for (const auto& name : names_) {
      if (auto source = MakeSourceFromFile(context, (folder_ / name).string())) doc.sources.push_back(std::move(source));
    }
    shape(doc);
    const fs::path path = folder_ / "seed.vrp";
    if (!SaveProjectFile(doc, path.string())) {
      std::fprintf(stderr, "make_seeds: a seed project could not be saved\n");
      return {};
    }
    return testing::FileBytes(path.string());
  }

 private:
  bool quiet_;
  fs::path folder_;
  std::vector<std::string> names_;
  std::unique_ptr<IKlpComponentFactory> factory_;
};

// Places the source on the first track that takes it at the time.
void PlaceAnywhere(CVantorelleDoc& doc, std::size_t sourceIndex, TimeMs at) {
  if (sourceIndex >= doc.sources.size()) return;
  SourcePlacement placement(doc, *doc.sources[sourceIndex]);
  for (const auto& track : doc.timeline.tracks) {
    if (placement.Place(doc, track.get(), at, UndoKind::DropSource)) return;
  }
}

void DocumentSeeds(SeedWriter& seeds) {
  SeedProjects projects;
  if (!projects.Ready()) return;
  seeds.Add(projects.Make([](CVantorelleDoc&) {}));
  seeds.Add(projects.Make([](CVantorelleDoc& doc) {
    for (std::size_t i = 0; i < doc.sources.size(); ++i) PlaceAnywhere(doc, i, 400.0 * static_cast<double>(i));
  }));
  seeds.Add(projects.Make([](CVantorelleDoc& doc) {
    PlaceAnywhere(doc, 0, 0.0);
    PlaceAnywhere(doc, 0, 1200.0);
    PlaceAnywhere(doc, 3, 200.0);
    for (const auto& track : doc.timeline.tracks) {
      for (const auto& clip : track->clips) {
        clip->fadeIn = 120.0;
        clip->fadeOut = 80.0;
        clip->useTrackFadeIn = clip->useTrackFadeOut = 0;
        clip->volume = 0.5;
      }
    }
    doc.times.rangeStart = 40.0;
    doc.times.rangeStop = 1600.0;
    doc.times.timeMark = 400.0;
  }));
  seeds.Add(projects.Make([](CVantorelleDoc& doc) {
    TrackNumbers numbers;
    numbers.video = 3;
    numbers.audio = 3;
    doc.SetTrackNumbers(numbers, false);
    PlaceAnywhere(doc, 1, 0.0);
    PlaceAnywhere(doc, 4, 0.0);
    PlaceAnywhere(doc, 2, 80.0);
    doc.timeline.workArea = WorkArea{0.0, 3000.0};
  }));
}

void EditSeeds(SeedWriter& seeds) {
  using fuzzing::AppendStep;
  using fuzzing::ClipZone;
  using fuzzing::CommandIndex;
  using fuzzing::EditStep;
  using fuzzing::High;
  using fuzzing::Low;
  auto x = [](int pixel) { return pixel + fuzzing::kPixelXShift; };
  auto y = [](int pixel) { return pixel + fuzzing::kPixelYShift; };
  auto drop = [](Bytes& bytes, int source, int track, int tenths) {
    AppendStep(bytes, EditStep::DropSource,
               {static_cast<std::uint8_t>(source), static_cast<std::uint8_t>(track), Low(tenths), High(tenths)});
  };
  auto command = [](Bytes& bytes, int id) { AppendStep(bytes, EditStep::Command, {CommandIndex(id)}); };
  auto drag = [](Bytes& bytes, int clip, ClipZone zone, int dx, int dy) {
    AppendStep(bytes, EditStep::PressOnClip, {static_cast<std::uint8_t>(clip), static_cast<std::uint8_t>(zone), 0});
    AppendStep(bytes, EditStep::MoveBy, {static_cast<std::uint8_t>(dx), static_cast<std::uint8_t>(dy)});
    AppendStep(bytes, EditStep::Release);
  };

  Bytes moves;  // drops, then every kind of drag
  drop(moves, 0, 0, 0);
  drop(moves, 3, 2, 120);
  drop(moves, 1, 1, 60);
  drag(moves, 0, ClipZone::Body, 30, 0);
  drag(moves, 0, ClipZone::RightEdge, -20, 0);
  drag(moves, 1, ClipZone::LeftEdge, 16, 0);
  drag(moves, 2, ClipZone::FadeIn, 12, 0);
  drag(moves, 2, ClipZone::FadeOut, -12, 0);
  drag(moves, 2, ClipZone::Volume, 0, 20);
  drag(moves, 0, ClipZone::Body, 0, 100);
  command(moves, CommandId::Undo);
  command(moves, CommandId::Redo);
  seeds.Add(moves);

  Bytes clipboard;  // select, copy, paste, insert, split, repeat, delete
  drop(clipboard, 0, 0, 0);
  drop(clipboard, 2, 2, 200);
  AppendStep(clipboard, EditStep::Select, {2, 0, 1, 0});
  command(clipboard, CommandId::Copy);
  AppendStep(clipboard, EditStep::Time, {Low(150), High(150)});
  command(clipboard, CommandId::Paste);
  AppendStep(clipboard, EditStep::Time, {Low(50), High(50)});
  command(clipboard, CommandId::Insert);
  AppendStep(clipboard, EditStep::Time, {Low(10), High(10)});
  command(clipboard, CommandId::SplitClip);
  AppendStep(clipboard, EditStep::Repeat, {0, 2, Low(4), High(4)});
  AppendStep(clipboard, EditStep::Range, {Low(5), High(5), Low(90), High(90)});
  command(clipboard, CommandId::ZoomToRange);
  command(clipboard, CommandId::Cut);
  command(clipboard, CommandId::Delete);
  command(clipboard, CommandId::Undo);
  command(clipboard, CommandId::Undo);
  command(clipboard, CommandId::Redo);
  seeds.Add(clipboard);

  Bytes interrupted;  // commands while the mouse holds a drag
  drop(interrupted, 0, 0, 0);
  drop(interrupted, 1, 0, 100);
  AppendStep(interrupted, EditStep::PressOnClip, {0, static_cast<std::uint8_t>(ClipZone::Body), 0});
  AppendStep(interrupted, EditStep::MoveBy, {20, 0});
  command(interrupted, CommandId::Delete);
  AppendStep(interrupted, EditStep::MoveBy, {20, 0});
  AppendStep(interrupted, EditStep::Release);
  AppendStep(interrupted, EditStep::PressOnClip, {0, static_cast<std::uint8_t>(ClipZone::RightEdge), 0});
  AppendStep(interrupted, EditStep::MoveBy, {static_cast<std::uint8_t>(-10), 0});
  command(interrupted, CommandId::Undo);
  AppendStep(interrupted, EditStep::MoveBy, {static_cast<std::uint8_t>(-10), 0});
  AppendStep(interrupted, EditStep::Release);
  seeds.Add(interrupted);

  Bytes tracks;  // track numbers, headers, placements and the edge timers
  AppendStep(tracks, EditStep::Tracks, {2, 1});
  drop(tracks, 0, 1, 0);
  AppendStep(tracks, EditStep::HeaderMenu, {1, 2});
  AppendStep(tracks, EditStep::HeaderButton, {0, 0});
  AppendStep(tracks, EditStep::HeaderButton, {2, 1});
  AppendStep(tracks, EditStep::PlaceSource, {3});
  AppendStep(tracks, EditStep::PressAt, {Low(x(300)), High(x(300)), Low(y(150)), High(y(150)), 0});
  AppendStep(tracks, EditStep::DragSourceIn, {4, Low(x(500)), High(x(500)), Low(y(10)), High(y(10))});
  AppendStep(tracks, EditStep::PressAt, {Low(x(700)), High(x(700)), Low(y(300)), High(y(300)), 0});
  AppendStep(tracks, EditStep::MoveTo, {Low(x(850)), High(x(850)), Low(y(300)), High(y(300))});
  AppendStep(tracks, EditStep::TimerTick, {0});
  AppendStep(tracks, EditStep::TimerTick, {0});
  AppendStep(tracks, EditStep::Release);
  AppendStep(tracks, EditStep::AreaMenu, {Low(x(20)), High(x(20)), Low(y(30)), High(y(30)), 3});
  AppendStep(tracks, EditStep::Scroll, {1, 0, 0});
  AppendStep(tracks, EditStep::Tracks, {1, 2});
  seeds.Add(tracks);
}

const std::map<std::string, std::function<void(SeedWriter&)>>& Generators() {
  static const std::map<std::string, std::function<void(SeedWriter&)>> generators = {
      {"project_file", ProjectSeeds},   {"tml", TmlSeeds},
      {"shortcut_file", ShortcutSeeds}, {"settings_file", SettingsSeeds},
      {"drag_payload", DragPayloadSeeds}, {"avi_info", AviSeeds},
      {"document", DocumentSeeds},        {"edits", EditSeeds},
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
