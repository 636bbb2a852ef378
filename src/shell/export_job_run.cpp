#include "export_job_run.h"

namespace vantorelle::shell {

// Until the background export is built in, every start is refused with why.
ExportStarter MakeExportStarter(const CVantorelleDoc&) {
  return [](const ExportRequest&) { return ExportStart{nullptr, "This build of the editor cannot export yet."}; };
}

}  // namespace vantorelle::shell
