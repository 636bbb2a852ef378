#include "commands/idle_status_text.h"

#include "commands/key_names.h"
#include "timeline/command_ids.h"

namespace vantorelle {

std::string EmptyProjectHint(const CShortCutTable* table) {
  const CShortCut* key = table ? table->FirstShortcut(CommandId::AddSourceFile) : nullptr;
  const std::string keyText = key ? ShortcutText(*key) : std::string();
  return "Add media with File \u203A Add source file" + (keyText.empty() ? std::string() : " (" + keyText + ")") +
         " or drag files here";
}

std::string IdleStatusText(const CVantorelleDoc& doc, const CShortCutTable* table) {
  return doc.timeline.ClipCount() == 0 ? EmptyProjectHint(table) : std::string(kReadyStatusText);
}

}  // namespace vantorelle
