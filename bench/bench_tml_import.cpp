// Importing a Velmo timeline project of 2 000 clip items that name only four
// media files (two movies with sound, a sound file and a still image), read
// through the software board as the command-line tool reads them. Each file
// should be probed once, not once per item: the "probes" counter shows how
// many movie and image components the import made.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/headless_views.h"
#include "document/settings_store.h"
#include "document/tml_import.h"
#include "document/vantorelle_doc.h"
#include "model/time_base.h"
#include "model/video_standard_query.h"
#include "playback/software_board/software_board_factory.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"
#include "support/tml_builder.h"

namespace {

using namespace vantorelle;
namespace support = vantorelle::testing;

constexpr int kItems = 2000;
constexpr int kFiles = 4;

// The software board, counting the components that read a file's media.
class ProbeCountingFactory : public IKlpComponentFactory {
 public:
  explicit ProbeCountingFactory(std::unique_ptr<IKlpComponentFactory> inner) : inner_(std::move(inner)) {}
  KlpResult CreateBoard(std::unique_ptr<IKlpBoard>& board) override { return inner_->CreateBoard(board); }
  KlpResult CreatePlayMovie(std::unique_ptr<IKlpPlayMovie>& movie) override {
    ++probes;
    return inner_->CreatePlayMovie(movie);
  }
  KlpResult CreatePlayStillImage(std::unique_ptr<IKlpPlayStillImage>& image) override {
    return inner_->CreatePlayStillImage(image);
  }
  KlpResult CreatePlayYCrCbImage(std::unique_ptr<IKlpPlayYCrCbImage>& image) override {
    return inner_->CreatePlayYCrCbImage(image);
  }
  KlpResult CreatePlayJPEGImage(std::unique_ptr<IKlpPlayJPEGImage>& image) override {
    return inner_->CreatePlayJPEGImage(image);
  }
  KlpResult CreatePlayTitleImage(std::unique_ptr<IKlpPlayTitleImage>& image) override {
    ++probes;
    return inner_->CreatePlayTitleImage(image);
  }
  KlpResult CreateGetAVIInfo(std::unique_ptr<IGetAVIInfo>& info) override { return inner_->CreateGetAVIInfo(info); }

  int probes = 0;

 private:
  std::unique_ptr<IKlpComponentFactory> inner_;
};

struct SharedImport {
  SharedImport() {
    support::MovieParams movie;
    movie.frameCount = 100;  // four seconds
    movie.withAudio = true;
    support::WavParams sound;
    sound.seconds = 4.0;
    std::string error;
    if (!support::WriteAvi(dir.File("media/take1.avi"), movie, &error) ||
        !support::WriteAvi(dir.File("media/take2.avi"), movie, &error) ||
        !support::WriteWav(dir.File("media/music.wav"), sound, &error) ||
        !support::WriteImage(dir.File("media/still.jpg"), support::ImageFormat::Jpeg, 320, 240, {20, 90, 200},
                             &error)) {
      throw std::runtime_error("media: " + error);
    }
    // Items one after the other on two slots of each side, cycling over the files.
    support::TmlBuilder file;
    for (int i = 0; i < kItems; ++i) {
      const std::int32_t start = i * 1000;
      const std::int32_t slot = (i / kFiles) % 2;
      support::TmlItemBuilder item;
      item.Name("item " + std::to_string(i));
      switch (i % kFiles) {
        case 0: item.Movie("media/take1.avi", start, start + 960, slot, slot); break;
        case 1: item.Movie("media/take2.avi", start, start + 960, slot, slot); break;
        case 2: item.Movie("media/music.wav", start, start + 960, -1, slot); break;
        default: item.Start(start).Stop(start + 960).PictureFile("media/still.jpg").PictureSlot(slot); break;
      }
      file.Item(item);
    }
    path = dir.WriteFile("show.tml", file.Text());
  }
  support::TempDir dir;
  std::string path;
};

const SharedImport& Import() {
  static const SharedImport shared;
  return shared;
}

// A project on a first run, as the command-line tool makes one.
struct ImportTarget {
  ImportTarget()
      : factory(CreateSoftwareBoardFactory(SoftwareBoardFormat{720, 576, 25.0})),
        doc(DocumentServices{store, true, ui, factory, nullptr}) {
    doc.AttachViews(&views);
  }
  ProbeCountingFactory factory;
  MemorySettingsStore store;
  support::ScriptedUserInterface ui;
  HeadlessDocumentViews views;
  CVantorelleDoc doc;
};

void BM_ImportTmlOfFewFiles(benchmark::State& state) {
  const SharedImport& shared = Import();
  int probes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto target = std::make_unique<ImportTarget>();
    target->factory.probes = 0;
    ITmlImportHost host;
    state.ResumeTiming();
    const TmlImportResult result = ImportVelmoProjectFile(target->doc, host, shared.path);
    state.PauseTiming();
    if (result.outcome != TmlImportOutcome::Imported || result.sourcesAdded != kFiles ||
        !target->ui.messages.empty()) {
      state.SkipWithError("the import did not take every file");
      return;
    }
    probes = target->factory.probes;
    target.reset();
    state.ResumeTiming();
  }
  state.counters["items"] = kItems;
  state.counters["probes"] = probes;
}
BENCHMARK(BM_ImportTmlOfFewFiles)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // The frame grid of the software board's standard, as the tool sets it.
  auto factory = CreateSoftwareBoardFactory(SoftwareBoardFormat{720, 576, 25.0});
  SetBoardPresent(QueryBoardStandard(*factory));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
