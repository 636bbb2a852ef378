// The format question of New project: the presets and a custom size and
// rate, the running format preselected. Cancel keeps the current project.
#pragma once

#include <optional>

#include "model/user_interface.h"
#include "model/video_format.h"

namespace vantorelle {

inline constexpr const char* kNewProjectTitle = "New project";

struct ProjectFormatChoice {
  VideoFormat format;
  // OK with the preselection as it was: the first clip may still offer its format.
  bool leftAtDefault = false;
};

// None on Cancel, or when the chosen custom size cannot be run (the person
// is told why).
std::optional<ProjectFormatChoice> AskProjectFormat(IUserInterface& ui, const VideoFormat& running);

}  // namespace vantorelle
