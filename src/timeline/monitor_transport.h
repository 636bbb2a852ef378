// The monitor's transport bar as data: which command each button runs, what
// its tip says, whether it is enabled (by the command hub's own rules), and
// the time under the mark in the display mode in force. The shell's bar only
// draws this and hands a pressed button's command back to the window.
#pragma once

#include <string>
#include <vector>

#include "document/vantorelle_doc.h"
#include "timeline/command_hub.h"

namespace vantorelle {

// What a button shows; the shell picks the picture for it.
enum class TransportSymbol { PreviousFrame, Play, Stop, NextFrame };

struct TransportButton {
  int commandId = 0;
  TransportSymbol symbol = TransportSymbol::Play;
  std::string tip;
  bool enabled = false;
  bool operator==(const TransportButton&) const = default;
};

// Everything the bar shows at one moment.
struct TransportState {
  std::vector<TransportButton> buttons;
  std::string timeText;
  bool operator==(const TransportState&) const = default;
};

class MonitorTransport {
 public:
  MonitorTransport(const CVantorelleDoc& doc, const CommandHub& hub) : doc_(doc), hub_(hub) {}

  // The buttons from left to right: previous frame, play, stop, next frame.
  TransportState Current() const;
  // Takes the state as it is now; true when it differs from the one taken
  // before, so the bar redraws only then (it is asked on every idle tick).
  bool Refresh();
  const TransportState& Shown() const { return shown_; }

 private:
  const CVantorelleDoc& doc_;
  const CommandHub& hub_;
  TransportState shown_;
  bool taken_ = false;
};

}  // namespace vantorelle
