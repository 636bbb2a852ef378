// vantorelle-cli: the headless command-line tool. Output is JSON on stdout;
// errors go to stderr with a non-zero exit status.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "media_info_command.h"
#include "project_commands.h"
#include "edit_script.h"
#include "render_command.h"
#include "shortcut_command.h"
#include "document/file_settings_store.h"
#include <iostream>
#include <memory>
#include "model/time_base.h"
#include "model/video_standard_query.h"
#include "playback/board_selection.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: vantorelle-cli [--no-board] [--video-standard NAME] [--config-dir DIR] COMMAND ...\n"
               "commands:\n"
               "  media-info FILE...   describe media files as the Clip Collection takes them\n"
               "  dump PROJECT.vrp     everything a project file holds, in file order\n"
               "  resave IN.vrp OUT.vrp  open a project (missing sources kept offline) and save it again\n"
               "  run IN.vrp|new OUT.vrp  edit a project by the script on standard input, then save\n"
               "  shortcuts [FILE.vrk]  the built-in shortcut table, or a saved one\n"
               "  render PROJECT.vrp OUT [--range START:STOP] [--format avi|mp4] [--quiet]\n"
               "                       play the project into a media file\n"
               "exit status: 0 done, 1 failed, 2 bad command line or a render over one of its\n"
               "inputs, 3 a run whose script had refused lines (saved; each named on stderr)\n");
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  auto selection = vantorelle::SelectBoard(std::vector<std::string>(argv + 1, argv + argc),
                                           std::getenv("VANTORELLE_VIDEO_STANDARD"));
  if (!selection.error.empty()) {
    std::fprintf(stderr, "vantorelle-cli: %s\n", selection.error.c_str());
    return 2;
  }
  vantorelle::SetBoardPresent(vantorelle::QueryBoardStandard(*selection.factory));
  std::vector<std::string>& arguments = selection.remainingArguments;
  // Without --config-dir the tool runs as a first run and keeps no settings.
  std::unique_ptr<vantorelle::ISettingsStore> store = std::make_unique<vantorelle::MemorySettingsStore>();
  bool firstRun = true;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] != "--config-dir") continue;
    if (i + 1 >= arguments.size()) {
      std::fprintf(stderr, "vantorelle-cli: --config-dir needs a folder\n");
      return 2;
    }
    store = std::make_unique<vantorelle::FileSettingsStore>(arguments[i + 1]);
    firstRun = !store->SettingsKeyExists();
    arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    break;
  }
  if (arguments.empty()) return Usage();
  const std::string command = arguments.front();
  arguments.erase(arguments.begin());
  if (command == "media-info") {
    if (arguments.empty()) {
      std::fprintf(stderr, "vantorelle-cli: media-info needs at least one file\n");
      return 2;
    }
    return vantorelle::cli::RunMediaInfo(*selection.factory, arguments);
  }
  if (command == "dump") {
    if (arguments.size() != 1) {
      std::fprintf(stderr, "vantorelle-cli: dump needs one project file\n");
      return 2;
    }
    return vantorelle::cli::RunDump(arguments[0]);
  }
  if (command == "resave") {
    if (arguments.size() != 2) {
      std::fprintf(stderr, "vantorelle-cli: resave needs an input and an output project file\n");
      return 2;
    }
    return vantorelle::cli::RunResave(*selection.factory, *store, firstRun, arguments[0], arguments[1]);
  }
  if (command == "render") {
    std::string error;
    const auto options = vantorelle::cli::ParseRenderOptions(arguments, error);
    if (!options) {
      std::fprintf(stderr, "vantorelle-cli: %s\n", error.c_str());
      return 2;
    }
    return vantorelle::cli::RunRender(*options);
  }
  if (command == "shortcuts") {
    if (arguments.size() > 1) {
      std::fprintf(stderr, "vantorelle-cli: shortcuts takes at most one file\n");
      return 2;
    }
    return vantorelle::cli::RunShortcuts(arguments.empty() ? std::nullopt
                                                           : std::optional<std::string>(arguments[0]));
  }
  if (command == "run") {
    if (arguments.size() != 2) {
      std::fprintf(stderr, "vantorelle-cli: run needs an input project (or \"new\") and an output project file\n");
      return 2;
    }
    return vantorelle::cli::RunEditScript(*selection.factory, {*store, firstRun}, arguments[0], arguments[1],
                                          std::cin);
  }
  std::fprintf(stderr, "vantorelle-cli: unknown command \"%s\"\n", command.c_str());
  return Usage();
}
