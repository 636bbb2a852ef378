// vantorelle-cli: the headless command-line tool. Output is JSON on stdout;
// errors go to stderr with a non-zero exit status.
#include <cstdio>
#include <string>
#include <vector>

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: vantorelle-cli [--no-board] [--video-standard NAME] COMMAND ...\n"
               "commands:\n"
               "  media-info FILE...   describe media files as sources\n");
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty()) return Usage();
  std::fprintf(stderr, "vantorelle-cli: unknown command \"%s\"\n", arguments.front().c_str());
  return Usage();
}
