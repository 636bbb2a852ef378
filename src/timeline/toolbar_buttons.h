// The main toolbar's buttons, left to right; 0 stands for a separator.
#pragma once

#include <array>

#include "timeline/command_ids.h"

namespace vantorelle {

inline constexpr int kToolbarSeparator = 0;

inline constexpr std::array<int, 26> kToolbarButtons{
    CommandId::NewProject, CommandId::OpenProject, CommandId::SaveProject, CommandId::SaveProjectAs,
    CommandId::AddSourceFile, CommandId::Export, kToolbarSeparator,
    CommandId::Delete, CommandId::Copy, CommandId::Cut, CommandId::Paste, CommandId::Insert, CommandId::SplitClip,
    CommandId::Snapping, kToolbarSeparator,
    CommandId::Undo, CommandId::Redo, kToolbarSeparator,
    CommandId::Rewind, CommandId::Play, CommandId::Stop, CommandId::PreviousFrame, CommandId::NextFrame,
    kToolbarSeparator,
    CommandId::Settings, CommandId::About};

// Buttons that stay pressed while their command is checked.
inline constexpr std::array<int, 1> kCheckableToolbarButtons{CommandId::Snapping};

}  // namespace vantorelle
