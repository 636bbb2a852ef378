#include "playback/play_engine_wait_dialog.h"

#include "model/virtual_keys.h"

namespace vantorelle {

std::optional<WaitPlaybackChoice> WaitPlaybackStartDialog::ChoiceOfKey(std::int32_t virtualKey) {
  switch (virtualKey) {
    case VirtualKey::Enter:
    case VirtualKey::Space:
      return WaitPlaybackChoice::Start;
    case VirtualKey::Escape:
      return WaitPlaybackChoice::Cancel;
    default:
      return std::nullopt;
  }
}

}  // namespace vantorelle
