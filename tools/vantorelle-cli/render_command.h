// vantorelle-cli render: the project played through the editor's playback
// engine and the software board against a virtual clock, as fast as the
// machine allows, and encoded to a file. The file already at the output is
// replaced only by a complete render, and never when it is the project or
// one of its sources (exit status 2).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantorelle::cli {

struct RenderOptions {
  std::string project;
  std::string output;
  std::optional<std::pair<double, double>> range;  // ms
  bool mp4 = false;
  bool quiet = false;
};

// Reads "PROJECT OUT [--range START:STOP] [--format avi|mp4] [--quiet]"; the
// error text is set when the words do not fit.
std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& words, std::string& error);

int RunRender(const RenderOptions& options);

}  // namespace vantorelle::cli
