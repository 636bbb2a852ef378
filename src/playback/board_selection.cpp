#include "playback/board_selection.h"

#include "playback/software_board/software_board_factory.h"

namespace vantorelle {

BoardSelection SelectBoard(const std::vector<std::string>& arguments,
                           const char* environmentStandard) {
  BoardSelection selection;
  std::string standardName = environmentStandard && *environmentStandard ? environmentStandard : "pal";
  const std::string standardOption = "--video-standard";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--no-board") {
      selection.noBoard = true;
    } else if (argument == standardOption) {
      if (i + 1 >= arguments.size()) {
        selection.error = std::string("--video-standard needs a video format: ") + kVideoFormatNames;
        return selection;
      }
      standardName = arguments[++i];
    } else if (argument.rfind(standardOption + "=", 0) == 0) {
      standardName = argument.substr(standardOption.size() + 1);
    } else {
      selection.remainingArguments.push_back(argument);
    }
  }
  if (selection.noBoard) {
    selection.factory = std::make_unique<NoBoardFactory>();
    return selection;
  }
  std::string why;
  const auto format = SoftwareBoardFormatByName(standardName, &why);
  if (!format) {
    selection.error = "bad video standard \"" + standardName + "\": " + why;
    return selection;
  }
  selection.wiring = MakeSoftwareBoardWiring(*format);
  selection.factory = CreateSoftwareBoardFactory(*format, *selection.wiring);
  return selection;
}

}  // namespace vantorelle
