// vantorelle-cli: the headless command-line tool. Output is JSON on stdout;
// errors go to stderr with a non-zero exit status.
extern "C" {
#include <libavutil/log.h>
}

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "command_line.h"
#include "document/file_settings_store.h"
#include "edit_script.h"
#include "media_info_command.h"
#include "model/time_base.h"
#include "model/video_standard_query.h"
#include "playback/board_selection.h"
#include "project_commands.h"
#include "render_command.h"
#include "shortcut_command.h"

int main(int argc, char* argv[]) {
  namespace cli = vantorelle::cli;
  // A render passes pictures of up to 25 MB (4K) from frame to frame. Kept in
  // the heap instead of being mapped and unmapped each time, their memory is
  // not faulted in and cleared by the system anew for every frame.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
  const auto parsed = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const cli::CommandLine& line = std::get<cli::CommandLine>(parsed);

  // FFmpeg talks on stderr about the files it reads and writes; the tool
  // says what matters in its own words.
  av_log_set_level(line.global.verbose ? AV_LOG_INFO : AV_LOG_QUIET);

  std::vector<std::string> boardWords;
  if (line.global.noBoard) boardWords.push_back("--no-board");
  if (line.global.videoStandard) boardWords.insert(boardWords.end(), {"--video-standard", *line.global.videoStandard});
  auto selection = vantorelle::SelectBoard(boardWords, std::getenv("VANTORELLE_VIDEO_STANDARD"));
  if (!selection.error.empty()) {
    std::fprintf(stderr, "vantorelle-cli: %s\n", selection.error.c_str());
    return cli::kBadCommandLine;
  }
  vantorelle::SetBoardPresent(vantorelle::QueryBoardStandard(*selection.factory));

  // Without --config-dir the tool runs as a first run and keeps no settings.
  std::unique_ptr<vantorelle::ISettingsStore> store = std::make_unique<vantorelle::MemorySettingsStore>();
  bool firstRun = true;
  if (line.global.configDir) {
    store = std::make_unique<vantorelle::FileSettingsStore>(*line.global.configDir);
    firstRun = !store->SettingsKeyExists();
  }

  const std::string& command = line.command;
  if (command == "media-info") return cli::RunMediaInfo(*selection.factory, line.files);
  if (command == "dump") return cli::RunDump(line.input);
  if (command == "resave") return cli::RunResave(*selection.factory, *store, firstRun, line.input, line.output);
  if (command == "render") return cli::RunRender(line.render);
  if (command == "shortcuts") return cli::RunShortcuts(line.shortcutFile);
  if (command == "run") {
    return cli::RunEditScript(*selection.factory, {*store, firstRun}, line.input, line.output, std::cin);
  }
  if (command == "import-tml") {
    return cli::RunTmlImport(*selection.factory, {*store, firstRun}, {line.tmlFile, line.pasteAt}, line.input,
                             line.output);
  }
  std::fprintf(stderr, "vantorelle-cli: command \"%s\" is not done by this build\n", command.c_str());
  return 1;
}
