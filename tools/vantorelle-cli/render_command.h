// vantorelle-cli render: the project exported as the editor exports it (one
// code path, src/export): played through the editor's playback engine and
// the software board against a virtual clock, as fast as the machine allows,
// on the export's own thread, and encoded to a file in one of the export
// presets. The file already at the output is replaced only by a complete
// render, and never when it is the project or one of its sources (exit
// status 2).
//
// What is rendered: the range given, else the project's range when it has
// one, else the whole project from 0 to its last clip's end; for png the
// frame under the time mark. A range given may run past the last clip into
// black but stops at the project's size; one shorter than a frame is
// refused. A source that is offline or cannot be read stops the render
// unless offline sources are allowed, when it renders as black and silence;
// either way it is named on stderr. SIGINT, SIGTERM and SIGHUP cancel the
// render: its temporary file goes and the old file stays.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "export/export_preset.h"

namespace vantorelle::cli {

struct RenderOptions {
  std::string project;
  std::string output;
  std::optional<std::pair<double, double>> range;  // ms
  ExportPresetId preset = ExportPresetId::Avi;
  int crf = 0;  // on the preset's scale; 0 takes its default
  bool quiet = false;
  bool allowOffline = false;
};

int RunRender(const RenderOptions& options);

}  // namespace vantorelle::cli
