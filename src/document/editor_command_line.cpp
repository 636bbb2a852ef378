#include "document/editor_command_line.h"

namespace vantorelle {

EditorCommandLine ParseEditorCommandLine(const std::vector<std::string>& arguments,
                                         const char* environmentStandard) {
  EditorCommandLine line;
  line.board = SelectBoard(arguments, environmentStandard);
  // The value of "--video-standard NAME" is the option's, never a project.
  if (line.board.error.empty()) line.start = CVantorelleApp::ParseCommandLine(line.board.remainingArguments);
  return line;
}

}  // namespace vantorelle
