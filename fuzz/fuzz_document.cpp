// Feeds arbitrary bytes to the editor as a project file, past the byte
// reader: the file is opened into a document in a folder of small media (a
// missing source is skipped, every question gets its default answer), one
// frame of its play is rendered through the software board, it is saved,
// and the saved file, opened again and saved again, gives the same bytes.
// The timeline must be consistent after each open.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "document/vantorelle_doc.h"
#include "fuzz_media.h"
#include "model/video_standard_query.h"
#include "playback/movie_map.h"
#include "playback/play_engine.h"
#include "playback/play_engine_list.h"
#include "playback/software_board/board_clock.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/software_board_factory.h"
#include "support/file_bytes.h"
#include "support/scripted_user_interface.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A run whose input opens into more than this plays no frame: opening
// many movies is what costs, and the reader and writer are what is tried.
constexpr std::size_t kMostSourcesToRender = 8;

fs::path& MediaFolder() {
  static fs::path folder;
  return folder;
}

void Fail(const char* what, const std::string& detail = {}) {
  std::fprintf(stderr, "fuzz_document: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  __builtin_trap();
}

// The pictures must be whole frames of the board's size.
class FrameCheckSink : public IOutputSink {
 public:
  explicit FrameCheckSink(const SoftwareBoardFormat& format) : format_(format) {}
  void OnVideoFrame(double, const RgbFrame& frame) override {
    const std::size_t expected = static_cast<std::size_t>(format_.width) * format_.height * 3;
    if (frame.width != format_.width || frame.height != format_.height || frame.pixels.size() != expected) {
      Fail("a rendered frame is not of the board's size");
    }
    ++frames_;
  }
  void OnAudio(double, const float*, std::size_t) override {}
  void OnEnd() override {}
  int Frames() const { return frames_; }

 private:
  SoftwareBoardFormat format_;
  int frames_ = 0;
};

// The board and its opened movies live as long as the process, as in the
// editor, where the movie map keeps every source opened across plays: the
// files never change, and opening them is most of what a render costs.
struct Board {
  Board()
      : clock(std::make_shared<VirtualBoardClock>()),
        output(std::make_shared<BoardOutput>(fuzzing::FuzzBoardFormat())),
        factory(CreateSoftwareBoardFactory(fuzzing::FuzzBoardFormat(), SoftwareBoardWiring{clock, output})) {}

  // The source's file in the movie map, opened again when its flags ask for other components.
  void Open(const CSrc& source, IUserInterface& ui) {
    const auto opened = openedFlags.find(source.path);
    if (opened != openedFlags.end() && opened->second == source.flags && movieMap.Find(source.path)) return;
    movieMap.Remove(source.path);
    openedFlags.erase(source.path);
    if (FillMovieMap(movieMap, source, *factory, ui)) openedFlags[source.path] = source.flags;
  }

  std::shared_ptr<VirtualBoardClock> clock;
  std::shared_ptr<BoardOutput> output;
  std::unique_ptr<IKlpComponentFactory> factory;
  CMovieMap movieMap;
  std::map<std::string, SourceFlagBits> openedFlags;
};

Board& TheBoard() {
  static Board board;
  return board;
}

// One document with everything it is made with.
struct Session {
  Session() : board(TheBoard()), doc(DocumentServices{store, true, ui, *board.factory, nullptr}) {
    doc.AttachViews(&views);
  }

  void CheckConsistent(const char* when) const {
    std::vector<const CSrc*> held;
    for (const auto& source : doc.sources) held.push_back(source.get());
    const auto problems = CheckTimelineConsistency(doc.timeline, held);
    if (!problems.empty()) Fail(when, problems.front());
  }

  // As the render command does, for the first frame only.
  void RenderOneFrame() {
    if (doc.sources.size() > kMostSourcesToRender) return;
    for (const auto& source : doc.sources) board.Open(*source, ui);
    CPlayEngine engine(*board.factory, ui);
    if (!engine.HasBoard()) Fail("the software board did not start");
    engine.BuildTitleTasks(doc.timeline.tracks, doc.times.timeMark);
    const PlayRange range = ComputePlayRange(doc.timeline, doc.times);
    if (!(range.from <= range.to)) return;
    const VideoStandard& standard = CurrentVideoStandard();
    const auto list = BuildPlayList(IncludedTracks(doc.timeline), range.from, range.to, standard.FrameDelta,
                                    board.movieMap, doc.preferences.pillarcastCompatible != 0);
    if (!list) return;
    BoardOutput& output = *board.output;
    FrameCheckSink sink(output.Format());
    output.SetSink(&sink);
    if (engine.Prepare(list->playFrom, list->playTo, *list, list->frameDelta, list->audioTrackKeys) &&
        engine.Start()) {
      OfflinePump pump(output, *board.clock);
      pump.Step();
    }
    output.EndPlay();
    engine.Stop();
    output.SetSink(nullptr);
    if (fuzzing::Verbose()) {
      std::fprintf(stderr, "fuzz_document: %zu sources, %d clips, %d frame(s) rendered\n", doc.sources.size(),
                   doc.timeline.ClipCount(), sink.Frames());
    }
  }

  Board& board;
  MemorySettingsStore store;
  testing::ScriptedUserInterface ui;
  HeadlessDocumentViews views;
  CVantorelleDoc doc;
};

void Save(Session& session, const fs::path& path, const char* what) {
  if (!SaveProjectFile(session.doc, path.string())) Fail(what);
}

}  // namespace
}  // namespace vantorelle

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace vantorelle;
  fuzzing::QuietMediaLibraries();
  MediaFolder() = fuzzing::MakeScratchFolder("vantorelle-fuzz-document");
  if (fuzzing::WriteFuzzMedia(MediaFolder()).empty()) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantorelle;
  // The replay program has no initializer hook of its own.
  static const bool ready = MediaFolder().empty() ? (LLVMFuzzerInitialize(nullptr, nullptr), true) : true;
  (void)ready;
  // A play may clear the board-present flag and a document may load a standard: every run starts alike.
  SetVideoStandard(fuzzing::FuzzVideoStandard());
  SetBoardPresent(true);

  const fs::path input = MediaFolder() / "input.vrp";
  const fs::path saved = MediaFolder() / "saved.vrp";
  const fs::path again = MediaFolder() / "saved-again.vrp";
  testing::WriteBytes(input.string(), Bytes(data, data + size));
  {
    Session first;
    if (OpenProjectFile(first.doc, input.string()) != ProjectOpenOutcome::Opened) return 0;
    first.CheckConsistent("inconsistent after opening the input");
    first.RenderOneFrame();
    first.CheckConsistent("inconsistent after rendering");
    Save(first, saved, "the opened input cannot be saved");
  }
  {
    Session second;
    if (OpenProjectFile(second.doc, saved.string()) != ProjectOpenOutcome::Opened) {
      Fail("a saved project cannot be opened again");
    }
    second.CheckConsistent("inconsistent after reopening a saved project");
    Save(second, again, "a reopened project cannot be saved");
  }
  if (testing::FileBytes(saved.string()) != testing::FileBytes(again.string())) Fail("saving a reopened project changes its bytes");
  return 0;
}
