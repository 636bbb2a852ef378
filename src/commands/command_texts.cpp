#include "commands/command_texts.h"

namespace vantorelle {

std::string CurrentMenuText(const CShortCutTable& table, const CommandHub& hub, int id) {
  const auto name = hub.CurrentName(id);
  return name ? table.MenuText(id, *name) : table.MenuText(id);
}

std::string CurrentTipText(const CShortCutTable& table, const CommandHub& hub, int id) {
  const auto name = hub.CurrentName(id);
  return name ? table.ShortNameText(id, *name) : table.ShortNameText(id);
}

}  // namespace vantorelle
