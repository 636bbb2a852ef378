#include "command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

#include "model/number_limits.h"
#include "playback/board_selection.h"

#ifndef VANTORELLE_VERSION
#define VANTORELLE_VERSION "unknown"
#endif

namespace vantorelle::cli {
namespace {

constexpr const char* kTool = "vantorelle-cli";

struct CommandText {
  const char* name;
  const char* operands;  // what follows the name in the usage line
  const char* summary;
};

constexpr CommandText kCommands[] = {
    {"media-info", "FILE...", "describe media files as the Clip Collection takes them"},
    {"dump", "PROJECT.vrp", "everything a project file holds, in file order"},
    {"resave", "IN.vrp OUT.vrp", "open a project (missing sources kept offline) and save it again"},
    {"run", "IN.vrp|new OUT.vrp < SCRIPT", "edit a project by the script on standard input, then save"},
    {"import-tml", "FILE.tml IN.vrp|new OUT.vrp [--paste-at MS]",
     "import a Velmo timeline project into a project, paste its clips at MS when given, then save"},
    {"shortcuts", "[FILE.vrk]", "the built-in shortcut table, or a saved one"},
    {"render",
     "PROJECT.vrp OUT [--preset NAME] [--crf N] [--range START:STOP] [--allow-offline] [--quiet]",
     "play the project into a media file"},
    {"help", "[COMMAND]", "what the tool or one of its commands takes"},
};

constexpr const char* kGlobalUsage = "[--no-board] [--video-standard NAME] [--config-dir DIR] [--verbose]";

const char* kExitStatus =
    "exit status: 0 done, 1 failed, 2 bad command line or a render over one of its\n"
    "inputs, 3 a run whose script had refused lines (saved; each named on stderr)\n";

const CommandText* FindCommand(const std::string& name) {
  for (const CommandText& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

std::string MainUsage() {
  return std::string("usage: ") + kTool + " " + kGlobalUsage + " COMMAND ...\n       " + kTool +
         " --help | -h | --version | help COMMAND\n";
}

// Help texts with the tool's own usage lines and command list.
class HelpFormatter : public CLI::Formatter {
 public:
  // A command's help starts with its usage line, then says what it does.
  std::string make_description(const CLI::App* app) const override {
    return app->get_parent() == nullptr ? CLI::Formatter::make_description(app) : std::string();
  }
  std::string make_usage(const CLI::App* app, std::string) const override {
    if (app->get_parent() == nullptr) return MainUsage();
    return "usage: " + UsageLine(app->get_name()) + "\n" + app->get_description() + "\n";
  }
  std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode) const override {
    if (app->get_parent() != nullptr) return {};
    std::string out = "\ncommands:\n";
    for (const CommandText& command : kCommands) {
      out += std::string("  ") + command.name + " " + command.operands + "\n      " + command.summary + "\n";
    }
    return out;
  }
  // Operands are named in the usage line; only their descriptions are listed.
  std::string make_option_opts(const CLI::Option* option) const override {
    return option->get_positional() ? std::string() : CLI::Formatter::make_option_opts(option);
  }
  std::string make_footer(const CLI::App* app) const override {
    return app->get_parent() == nullptr ? kExitStatus : CLI::Formatter::make_footer(app);
  }
};

std::optional<double> Milliseconds(std::string_view text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !(value >= 0.0 && value <= kLongestProjectTime)) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::pair<double, double>> RangeOf(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto start = Milliseconds(text.substr(0, colon));
  const auto stop = Milliseconds(text.substr(colon + 1));
  if (!start || !stop || *stop <= *start) return std::nullopt;
  return std::make_pair(*start, *stop);
}

// A value check whose failure names what the option takes.
CLI::Validator Takes(std::function<bool(const std::string&)> fits) {
  return CLI::Validator(
      [fits](std::string& value) { return fits(value) ? std::string() : "\"" + value + "\""; }, "");
}

class Parser {
 public:
  explicit Parser(CommandLine& line) : line_(line) {
    app_.formatter(std::make_shared<HelpFormatter>());
    app_.description("The headless tool of the Vantorelle video editor: output is JSON on stdout;\n"
                     "errors go to stderr with a non-zero exit status.\n");
    app_.set_help_flag("-h,--help", "this help");
    app_.set_version_flag("--version", std::string(kTool) + " " + VANTORELLE_VERSION, "the tool's version");
    // Global options may stand anywhere; unknown words are reported below, by command.
    app_.allow_extras();
    app_.fallthrough();
    app_.require_subcommand(0, 1);
    // An option given twice takes its last value, as with most tools.
    app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app_.add_flag("--no-board", line_.global.noBoard, "run without a board: nothing can be measured or played");
    ValueOption(app_.add_option("--video-standard", line_.global.videoStandard,
                                "the board's video format: pal, pal-wide, ntsc, ntsc-vga, WIDTHxHEIGHT@RATE\n"
                                "(1920x1080@25, 1080x1920@30) or HEIGHTpRATE (720p59.94, 2160p25); sizes even,\n"
                                "16 to 8192; rates 23.976, 24, 25, 29.97, 30, 50, 59.94, 60\n"
                                "(default: $VANTORELLE_VIDEO_STANDARD, or pal)"),
                "NAME", kVideoFormatNames);
    ValueOption(app_.add_option("--config-dir", line_.global.configDir,
                                "keep the settings in this folder (default: none are kept)"),
                "DIR", "a folder");
    app_.add_flag("--verbose", line_.global.verbose, "let FFmpeg's own log lines through to stderr");

    Command("media-info")->add_option("FILE", line_.files, "media files")->required();
    Command("dump")->add_option("PROJECT", line_.input, "a project file (.vrp)")->required();
    CLI::App* resave = Command("resave");
    resave->add_option("IN", line_.input, "the project to open")->required();
    resave->add_option("OUT", line_.output, "where to save it")->required();
    CLI::App* run = Command("run");
    run->add_option("IN", line_.input, "the project to open, or \"new\"")->required();
    run->add_option("OUT", line_.output, "where to save it")->required();
    run->footer("The script has one line a command: time MS, range START STOP, select N..., command NAME|ID,\n"
                "add-source PATH, delete-source N, import FILE.tml, title-track NAME movable|slide L T W H,\n"
                "drop SOURCE TRACK MS, repeat CLIP COUNT PAUSE, tracks VIDEO AUDIO; # starts a comment.");
    CLI::App* importTml = Command("import-tml");
    importTml->add_option("TML", line_.tmlFile, "the Velmo timeline project (.tml)")->required();
    importTml->add_option("IN", line_.input, "the project to import into, or \"new\"")->required();
    importTml->add_option("OUT", line_.output, "where to save it")->required();
    ValueOption(importTml->add_option("--paste-at", pasteAt_, "paste the imported clips at this time (ms)")
                    ->check(Takes([](const std::string& text) { return Milliseconds(text).has_value(); })),
                "MS", "a time in milliseconds from 0 to 86400000");
    Command("shortcuts")->add_option("FILE", line_.shortcutFile, "a shortcut table file (.vrk)");
    CLI::App* render = Command("render");
    render->add_option("PROJECT", line_.render.project, "the project to render")->required();
    render->add_option("OUT", line_.render.output, "the media file to write")->required();
    ValueOption(render->add_option("--range", range_,
                                   "render START to STOP (ms) instead of the project's range or, without one,\n"
                                   "the whole project; clamped to the project's size")
                    ->check(Takes([](const std::string& text) { return RangeOf(text).has_value(); })),
                "START:STOP", "START:STOP in milliseconds, STOP after START, at most 86400000");
    ValueOption(render->add_option("--preset", preset_,
                                   "what to write (avi by default): mp4 (H.264 and AAC), mp4-half (the same at\n"
                                   "half size), prores (ProRes 422 HQ and PCM in MOV), avi (Motion JPEG and PCM),\n"
                                   "webm (VP9 and Opus), wav or flac (sound only), png (the frame under the\n"
                                   "time mark)")
                    ->check(Takes([](const std::string& text) { return ExportPresetNamed(text).has_value(); })),
                "NAME", ExportPresetNames());
    ValueOption(render->add_option("--crf", crf_,
                                   "picture quality on the preset's scale: mp4 and mp4-half 14 (best) to 35\n"
                                   "(20 by default), webm 15 to 50 (31), avi's quantiser 2 to 20 (3)")
                    ->check(Takes([](const std::string& text) {
                      return !text.empty() && text.size() < 4 &&
                             text.find_first_not_of("0123456789") == std::string::npos;
                    })),
                "N", "a whole number");
    ValueOption(render->add_option("--format", format_, "avi or mp4: the same as --preset avi or --preset mp4")
                    ->check(Takes([](const std::string& text) { return text == "avi" || text == "mp4"; })),
                "avi|mp4", "avi or mp4");
    render->add_flag("--allow-offline", line_.render.allowOffline,
                     "render offline or unreadable sources as black and silence instead of failing");
    render->add_flag("--quiet", line_.render.quiet, "no progress bar");
    Command("help")->add_option("COMMAND", helpTopic_, "a command");
  }

  std::variant<CommandLine, int> Parse(const std::vector<std::string>& words) {
    std::vector<std::string> reversed(words.rbegin(), words.rend());
    try {
      app_.parse(std::move(reversed));
    } catch (const CLI::CallForHelp&) {
      std::fputs(Active()->help().c_str(), stdout);
      return 0;
    } catch (const CLI::CallForAllHelp&) {
      std::fputs(ToolHelp().c_str(), stdout);
      return 0;
    } catch (const CLI::CallForVersion& version) {
      std::printf("%s\n", version.what());
      return 0;
    } catch (const CLI::ParseError& error) {
      return Refuse(Describe(error));
    }
    if (const auto extra = FirstExtra()) return Refuse(*extra);
    if (app_.get_subcommands().empty()) {
      std::fputs(ToolHelp().c_str(), stderr);
      return kBadCommandLine;
    }
    line_.command = Active()->get_name();
    if (line_.command == "help") return Help();
    if (!range_.empty()) line_.render.range = RangeOf(range_);
    if (!format_.empty()) line_.render.preset = *ExportPresetNamed(format_);
    if (!preset_.empty()) line_.render.preset = *ExportPresetNamed(preset_);
    if (!crf_.empty()) {
      const ExportPreset& preset = ExportPresetOf(line_.render.preset);
      const int crf = std::stoi(crf_);
      if (!preset.TakesQuality()) return Refuse("render: the " + std::string(preset.name) + " preset takes no --crf");
      if (!CrfInRange(preset, crf)) {
        return Refuse("render: --crf " + crf_ + " is off the " + std::string(preset.name) + " scale (" +
                      std::to_string(preset.bestCrf) + " best to " + std::to_string(preset.worstCrf) + " smallest)");
      }
      line_.render.crf = crf;
    }
    if (!pasteAt_.empty()) line_.pasteAt = Milliseconds(pasteAt_);
    return line_;
  }

 private:
  CLI::App* Command(const char* name) {
    CLI::App* command = app_.add_subcommand(name, FindCommand(name)->summary);
    commands_.push_back(command);
    return command;
  }

  void ValueOption(CLI::Option* option, std::string typeName, std::string takes) {
    option->type_name(std::move(typeName));
    takes_[option] = std::move(takes);
  }

  // The command being read, or the tool itself before one.
  CLI::App* Active() {
    const auto chosen = app_.get_subcommands();
    return chosen.empty() ? &app_ : chosen.front();
  }

  std::string Where() {
    CLI::App* active = Active();
    return active == &app_ ? std::string() : active->get_name() + ": ";
  }

  // The option an error of CLI11 is about: its text starts with the option's name.
  const CLI::Option* OptionOf(const std::string& text) {
    for (const auto& [option, takes] : takes_) {
      const std::string name = option->get_name();
      if (text.rfind(name + ":", 0) == 0) return option;
    }
    return nullptr;
  }

  std::string Describe(const CLI::ParseError& error) {
    const std::string text = error.what();
    const CLI::Option* option = OptionOf(text);
    if (option && dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
      return Where() + "option " + option->get_name() + " needs a value (" + takes_.at(option) + ")";
    }
    if (option && (dynamic_cast<const CLI::ValidationError*>(&error) ||
                   dynamic_cast<const CLI::ConversionError*>(&error))) {
      const std::string given = text.substr(option->get_name().size() + 2);
      return Where() + "option " + option->get_name() + " takes " + takes_.at(option) + ", not " + given;
    }
    if (dynamic_cast<const CLI::ConversionError*>(&error)) {
      // A flag (an option whose value is not listed) given a value, as "--quiet=x".
      for (const CLI::App* app : {Active(), &app_}) {
        for (const CLI::Option* flag : app->get_options()) {
          const bool isFlag = flag->nonpositional() && takes_.count(flag) == 0;
          if (isFlag && text.find(" " + flag->get_name() + " = ") != std::string::npos) {
            return Where() + "option " + flag->get_name() + " takes no value";
          }
        }
      }
    }
    if (dynamic_cast<const CLI::RequiredError*>(&error)) {
      for (const CLI::Option* operand : Active()->get_options()) {
        if (operand->get_positional() && operand->get_required() && operand->count() == 0) {
          return Where() + operand->get_name() + " is missing";
        }
      }
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) return Where() + "an option is given more than once";
    return Where() + text;
  }

  // A word no option or operand took: an unknown option, an unknown
  // command, or one operand too many.
  std::optional<std::string> FirstExtra() {
    std::vector<std::string> extras = app_.remaining(true);
    // CLI11 keeps the "--" that ends the options among them.
    extras.erase(std::remove(extras.begin(), extras.end(), "--"), extras.end());
    if (extras.empty()) return std::nullopt;
    const auto option = std::find_if(extras.begin(), extras.end(),
                                     [](const std::string& word) { return word.size() > 1 && word[0] == '-'; });
    if (option != extras.end()) return Where() + "unknown option " + *option;
    if (Active() == &app_) return "unknown command \"" + extras.front() + "\"";
    return Where() + "one argument too many: \"" + extras.front() + "\"";
  }

  int Refuse(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kTool, text.c_str());
    const std::string usage = Active() == &app_ ? MainUsage() : "usage: " + UsageLine(Active()->get_name()) + "\n";
    std::fputs(usage.c_str(), stderr);
    std::fprintf(stderr, "(\"%s --help\" lists the commands and options)\n", kTool);
    return kBadCommandLine;
  }

  // The tool's own help, even after a command was read (App::help would give the command's).
  std::string ToolHelp() { return app_.get_formatter()->make_help(&app_, "", CLI::AppFormatMode::Normal); }

  int Help() {
    if (!helpTopic_) {
      std::fputs(ToolHelp().c_str(), stdout);
      return 0;
    }
    for (CLI::App* command : commands_) {
      if (command->get_name() == *helpTopic_) {
        std::fputs(command->help().c_str(), stdout);
        return 0;
      }
    }
    return Refuse("help: unknown command \"" + *helpTopic_ + "\"");
  }

  CommandLine& line_;
  CLI::App app_{"", kTool};
  std::vector<CLI::App*> commands_;
  std::map<const CLI::Option*, std::string> takes_;  // what each option's value is
  std::string range_;
  std::string format_;
  std::string preset_;
  std::string crf_;
  std::string pasteAt_;
  std::optional<std::string> helpTopic_;
};

}  // namespace

std::string UsageLine(const std::string& command) {
  const CommandText* text = FindCommand(command);
  return text ? std::string(kTool) + " " + text->name + " " + text->operands : std::string();
}

std::variant<CommandLine, int> ParseCommandLine(const std::vector<std::string>& words) {
  CommandLine line;
  Parser parser(line);
  return parser.Parse(words);
}

}  // namespace vantorelle::cli
