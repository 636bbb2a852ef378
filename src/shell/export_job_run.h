// The editor's way to start an export: a snapshot of the document taken now,
// played into the file by an ExportJob on its own thread.
#pragma once

#include "export/export_controller.h"

namespace vantorelle {
class CVantorelleDoc;
}

namespace vantorelle::shell {

ExportStarter MakeExportStarter(const CVantorelleDoc& doc);

}  // namespace vantorelle::shell
