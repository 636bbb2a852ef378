// The tool's command line, read with CLI11: the global options, one command
// and its operands and options. --help, -h, "help COMMAND" and --version are
// answered here; a command line that does not fit is reported plainly on
// stderr with the command's usage line.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "render_command.h"

namespace vantorelle::cli {

// The exit status of a command line that does not fit.
inline constexpr int kBadCommandLine = 2;

struct GlobalOptions {
  bool noBoard = false;
  std::optional<std::string> videoStandard;  // none: the environment's, or pal
  std::optional<std::string> configDir;      // none: a first run that keeps no settings
  bool verbose = false;                      // FFmpeg's own log lines on stderr
};

struct CommandLine {
  GlobalOptions global;
  std::string command;
  std::vector<std::string> files;  // media-info
  std::string input;               // dump, resave, run, import-tml: a project file (or "new")
  std::string output;              // resave, run, import-tml
  std::optional<std::string> shortcutFile;
  std::string tmlFile;
  std::optional<double> pasteAt;   // import-tml, ms
  RenderOptions render;
};

// The usage line of a command ("vantorelle-cli render PROJECT.vrp OUT ..."),
// empty for one the tool does not have.
std::string UsageLine(const std::string& command);

// What the words ask for, or the exit status when the tool has answered
// already (0 for help and version, kBadCommandLine for an error).
std::variant<CommandLine, int> ParseCommandLine(const std::vector<std::string>& words);

}  // namespace vantorelle::cli
