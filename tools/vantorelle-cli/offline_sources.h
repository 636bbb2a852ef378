// Sources whose files could not be found: the tool cannot ask where they
// went, so it names them on stderr and in its JSON, and keeps them.
#pragma once

#include <string>

#include "document/project_file_format.h"
#include "document/vantorelle_doc.h"
#include "json_output.h"

namespace vantorelle::cli {

// One "offline source" line on stderr per offline source of the document.
void ReportOfflineSources(const CVantorelleDoc& doc);

// A JSON array with one object per offline source of the document.
Json OfflineSourcesJson(const CVantorelleDoc& doc);

// The same for the source records of a project file at projectPath, looked
// up on disk the way an open looks for them; each is also named on stderr.
Json OfflineRecordsJson(const ProjectFileContents& contents, const std::string& projectPath);

}  // namespace vantorelle::cli
