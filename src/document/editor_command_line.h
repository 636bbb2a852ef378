// The editor's command line: the board options first, then the framework's
// rule (a project to open, or a new one) on what those options leave.
#pragma once

#include <string>
#include <vector>

#include "document/vantorelle_app.h"
#include "playback/board_selection.h"

namespace vantorelle {

struct EditorCommandLine {
  BoardSelection board;  // its error is set when a board option was bad
  StartAction start;
};

// arguments: the program's arguments without the program name and without
// the shell's own switches.
EditorCommandLine ParseEditorCommandLine(const std::vector<std::string>& arguments,
                                         const char* environmentStandard);

}  // namespace vantorelle
