// The keyboard shortcut table as the document holds it: it loads itself from
// the settings store (or builds its built-in table) when the document is
// made, and saves itself when the document goes.
#pragma once

#include "document/settings_store.h"

namespace vantorelle {

class IDocumentShortcutTable {
 public:
  virtual ~IDocumentShortcutTable() = default;
  virtual void LoadOrBuildDefault(const ISettingsStore& store, bool firstRun) = 0;
  virtual void Save(ISettingsStore& store) = 0;
};

}  // namespace vantorelle
