#include "timeline/monitor_transport.h"

#include "model/time_base.h"

namespace vantorelle {
namespace {

struct ButtonLook {
  int commandId;
  TransportSymbol symbol;
  const char* tip;
};

constexpr ButtonLook kButtons[] = {
    {CommandId::PreviousFrame, TransportSymbol::PreviousFrame, "Previous frame"},
    {CommandId::Play, TransportSymbol::Play, "Play"},
    {CommandId::Stop, TransportSymbol::Stop, "Stop"},
    {CommandId::NextFrame, TransportSymbol::NextFrame, "Next frame"},
};

}  // namespace

TransportState MonitorTransport::Current() const {
  TransportState state;
  for (const ButtonLook& look : kButtons) {
    state.buttons.push_back({look.commandId, look.symbol, look.tip, hub_.Update(look.commandId).enabled});
  }
  state.timeText = FormatTimeDisplay(doc_.times.timeMark, doc_.preferences.timeDisplayMode);
  return state;
}

bool MonitorTransport::Refresh() {
  TransportState now = Current();
  if (taken_ && now == shown_) return false;
  shown_ = std::move(now);
  taken_ = true;
  return true;
}

}  // namespace vantorelle
