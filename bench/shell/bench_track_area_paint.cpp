// Painting the track area at 1920 × 1080: a project of 10 000 clips on 8
// tracks (four video with frame pictures on, four audio with fade handles,
// level lines and waveforms), shown whole, a tenth of it, and a hundredth,
// each repaint drawn in full into an image. The aim is a repaint within 16 ms.
// Also the start-up of the editor's main window with an empty project.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <chrono>
#include <memory>

#include "document/headless_views.h"
#include "document/settings_store.h"
#include "frame_pictures.h"
#include "main_window.h"
#include "playback/board_selection.h"
#include "playback/software_board/software_board_factory.h"
#include "support/document_fixture.h"
#include "timeline/track_area_menu.h"
#include "track_area_widget.h"

namespace {

using namespace vantorelle;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kClipsPerTrack = 1250;
constexpr TimeMs kClipStep = 2000.0;

class NoDisplay : public IWorkAreaDisplay {
 public:
  void ShowWorkArea(const WorkAreaDisplay&) override {}
  void ShowCurrentTime(TimeMs) override {}
};

class NoRequests : public IClipRequests {
 public:
  void OpenClipProperties(CFilm&) override {}
  void OpenTitleTrackSettings(CTrack&) override {}
  void PlayClip(CFilm&) override {}
  void AddSourceFileAt(int, int) override {}
};

// The track area as the main window builds it, over a large project.
struct PaintRig {
  PaintRig() {
    doc.timeline.tracks.clear();
    for (int i = 0; i < 4; ++i) doc.timeline.tracks.push_back(std::make_unique<CTrack>(TrackTypes::Video, 96));
    for (int i = 0; i < 4; ++i) doc.timeline.tracks.push_back(std::make_unique<CTrack>(TrackTypes::Audio, 120));
    CSrc& movie = project.AddSource("/media/movie.avi", kClipStep * kClipsPerTrack,
                                    SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream);
    movie.frameWidth = 720;
    movie.frameHeight = 576;
    for (const auto& track : doc.timeline.tracks) {
      const bool audio = track->Group() == TrackGroup::Audio;
      for (int i = 0; i < kClipsPerTrack; ++i) {
        auto clip = std::make_unique<CFilm>();
        clip->source = &movie;
        clip->name = "movie.avi";
        clip->start = i * kClipStep;
        clip->duration = kClipStep - 40.0;
        clip->inPoint = i * kClipStep;
        clip->sourceLength = movie.duration;
        clip->flags = audio ? SourceFlags::MovieFile | SourceFlags::AudioStream
                            : SourceFlags::MovieFile | SourceFlags::VideoStream;
        clip->fadeIn = audio ? 400.0 : 0.0;
        clip->fadeOut = audio ? 300.0 : 0.0;
        clip->volume = 0.8;
        track->InsertInOrder(std::move(clip));
      }
    }
    doc.times.projectSize = kClipStep * kClipsPerTrack;
    doc.AttachViews(&views);
    widget = std::make_unique<shell::TrackAreaWidget>(doc, [](std::uint32_t) {}, [](const std::string&) {});
    widget->resize(kWidth, kHeight);
    navigator = std::make_unique<WorkAreaNavigator>(doc, display, widget->Host(), widget->Timers());
    area = std::make_unique<TrackAreaController>(doc, *navigator, widget->Host(), widget->Timers());
    editor = std::make_unique<ClipEditor>(doc, project.ui);
    menu = std::make_unique<TrackAreaMenu>(doc, *editor, *navigator, *area, requests);
    widget->Attach(*area, *menu, *navigator);
    area->SetClientSize(kWidth, kHeight);
    navigator->SetClientWidth(kWidth);
    // Pictures on, every one already made: the repaint draws them all.
    pictures = std::make_unique<shell::FramePictures>(
        doc, CreateSoftwareBoardFactory(SoftwareBoardFormat{}), project.ui,
        [] { return std::vector<shell::PictureTile>{}; }, [] {});
    pictures->Suspend();
    pictures->SourceAdded(movie);
    FrameRequest picture = MakeFrameRequest(movie, 0.0);
    picture.pixels.assign(static_cast<std::size_t>(FrameImageRowBytes(kFrameImageWidth)) * kFrameImageHeight, 128);
    pictures->Cache().Store(std::move(picture));
    widget->SetPictures(pictures.get());
    source = &movie;
  }

  // On: the whole sound measured. Off: nothing known yet, as before the
  // peaks come (the file does not exist, so none ever do).
  void ShowWaveforms(bool on) {
    pictures->Waveforms().Clear();
    if (!on) return;
    std::vector<PeakPair> blocks(
        static_cast<std::size_t>(source->duration * kPeakSampleRate / 1000.0 / kPeakBlockFrames) + 1);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const auto level = static_cast<std::int16_t>(2000 + (i * 7919) % 28000);
      blocks[i] = PeakPair{static_cast<std::int16_t>(-level), level};
    }
    pictures->Waveforms().Put(*source, WaveformPeaks(std::move(blocks)));
  }

  void Show(TimeMs width) {
    doc.timeline.workArea = WorkArea{0.0, width};
    navigator->RebuildZoomLadder();
  }

  vantorelle::testing::TestDocument project;
  CVantorelleDoc& doc = project.doc;
  HeadlessDocumentViews views;
  NoDisplay display;
  NoRequests requests;
  std::unique_ptr<shell::TrackAreaWidget> widget;
  std::unique_ptr<WorkAreaNavigator> navigator;
  std::unique_ptr<TrackAreaController> area;
  std::unique_ptr<ClipEditor> editor;
  std::unique_ptr<TrackAreaMenu> menu;
  std::unique_ptr<shell::FramePictures> pictures;
  const CSrc* source = nullptr;
};

void BM_TrackAreaRepaint(benchmark::State& state) {
  static PaintRig rig;
  const TimeMs shown = kClipStep * kClipsPerTrack / static_cast<double>(state.range(0));
  rig.Show(shown);
  rig.ShowWaveforms(state.range(1) != 0);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    rig.widget->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["clipsInView"] = 8.0 * kClipsPerTrack / static_cast<double>(state.range(0));
}
// The whole project, a tenth and a hundredth of it in view; waveforms off
// and on.
BENCHMARK(BM_TrackAreaRepaint)->ArgsProduct({{1, 10, 100}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_StartUpToShownWindow(benchmark::State& state) {
  for (auto _ : state) {
    const auto began = std::chrono::steady_clock::now();
    MemorySettingsStore store;
    vantorelle::testing::ScriptedUserInterface ui;
    CVantorelleApp app;
    auto selection = SelectBoard({}, "pal");
    app.Start(store, *selection.factory);
    auto shortcuts = std::make_unique<CShortCutTable>();
    CShortCutTable* table = shortcuts.get();
    CVantorelleDoc doc(DocumentServices{store, app.FirstRun(), ui, *selection.factory, std::move(shortcuts)});
    doc.NewProject();
    {
      shell::MainWindow window(app, doc, ui, table, store, selection.wiring);
      window.show();
      QApplication::processEvents();
      state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    }
  }
}
BENCHMARK(BM_StartUpToShownWindow)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
