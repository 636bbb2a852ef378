// Opens a project file as the command-line tool does (software board,
// headless views) and prints, as one JSON line, how long the open alone took
// and what it found. Fails when the project did not open whole or the open
// had anything to tell, since such an open would time something else.
#include <chrono>
#include <cstdio>
#include <string>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "document/settings_store.h"
#include "document/vantorelle_doc.h"
#include "model/video_standard_query.h"
#include "playback/software_board/software_board_factory.h"

namespace {

using namespace vantorelle;

// Counts what an open would have shown or asked; answers nothing.
class CountingUserInterface : public IUserInterface {
 public:
  MessageAnswer ShowMessage(const std::string& text, const std::string&, MessageIcon, MessageButtons) override {
    std::fprintf(stderr, "open_project_timed: %s\n", text.c_str());
    ++told;
    return {};
  }
  std::optional<std::string> AskOpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFileName(const FileDialogRequest&) override { return std::nullopt; }
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest&) override {
    ++told;
    return {};
  }
  int told = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: open_project_timed PROJECT.vrp\n");
    return 2;
  }
  auto factory = CreateSoftwareBoardFactory(SoftwareBoardFormat{720, 576, 25.0});
  SetBoardPresent(QueryBoardStandard(*factory));
  CountingUserInterface ui;
  MemorySettingsStore store;
  HeadlessDocumentViews views;
  CVantorelleDoc doc(DocumentServices{store, true, ui, *factory, nullptr});
  doc.AttachViews(&views);
  const auto began = std::chrono::steady_clock::now();
  const ProjectOpenOutcome outcome = OpenProjectFile(doc, argv[1]);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  if (outcome != ProjectOpenOutcome::Opened || ui.told != 0) {
    std::fprintf(stderr, "open_project_timed: %s did not open whole\n", argv[1]);
    return 1;
  }
  std::printf("{\"open_s\":%.6f,\"clips\":%d,\"sources\":%zu,\"tracks\":%zu}\n", seconds, doc.timeline.ClipCount(),
              doc.sources.size(), doc.timeline.tracks.size());
  return 0;
}
