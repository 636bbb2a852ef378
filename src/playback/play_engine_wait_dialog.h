// The "Wait Playback Start" dialog: with the "Playback Start Type" 0 a
// prepared play waits here until the person starts it (Enter, Space or the
// Start button) or cancels it (Escape or Cancel).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantorelle {

enum class WaitPlaybackChoice { Start, Cancel };

class WaitPlaybackStartDialog {
 public:
  static constexpr const char* kCaption = "Wait Playback Start";
  static constexpr const char* kText = "Press \"Enter\" or \"Space\" to start playback.";
  static constexpr const char* kStartButton = "Start";
  static constexpr const char* kCancelButton = "Cancel";

  // The choice a key makes; none for keys the dialog ignores.
  static std::optional<WaitPlaybackChoice> ChoiceOfKey(std::int32_t virtualKey);
};

// The shell shows the dialog modally and answers the person's choice.
class IWaitPlaybackStart {
 public:
  virtual ~IWaitPlaybackStart() = default;
  virtual WaitPlaybackChoice AskToStart(const WaitPlaybackStartDialog& dialog) = 0;
};

}  // namespace vantorelle
