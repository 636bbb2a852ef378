#include "document/project_format_choice.h"

#include <string>

#include "timeline/video_format_chooser.h"

namespace vantorelle {

std::optional<ProjectFormatChoice> AskProjectFormat(IUserInterface& ui, const VideoFormat& running) {
  VideoFormatChooser chooser(running);
  if (!ui.AskVideoFormat(kNewProjectTitle, chooser)) return std::nullopt;
  std::string why;
  const std::optional<VideoFormat> format = chooser.Chosen(&why);
  if (!format) {
    ui.Warn(why, kNewProjectTitle);
    return std::nullopt;
  }
  return ProjectFormatChoice{*format, chooser.Untouched()};
}

}  // namespace vantorelle
