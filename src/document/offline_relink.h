// "Relink offline media...": offline sources of the project (their files were
// not found when it was opened) take a file the person points at, and the
// files of the same names in a folder.
#pragma once

#include <string>

#include "document/vantorelle_doc.h"
#include "playback/source_reading.h"

namespace vantorelle {

struct RelinkOutcome {
  int relinked = 0;      // offline sources that found their file
  int stillOffline = 0;  // offline sources left as they were
};

int CountOfflineSources(const CVantorelleDoc& doc);

// A folder: every offline source whose file name lies in it is relinked to
// that file. A file: the offline sources of its name take it (when none has
// its name and only one source is offline, that one does); its folder is then
// searched for the others. A relinked source reads the file's parameters as
// Browse does (reporting a changed file); one whose file cannot be read stays
// offline. Any relink marks the project modified.
RelinkOutcome RelinkOfflineSources(CVantorelleDoc& doc, const SourceReadContext& context, const std::string& path);

// The reading context of a document for relinking (no frame-size rule).
SourceReadContext RelinkReadContext(const CVantorelleDoc& doc, const FileInWork* fileInWork);

}  // namespace vantorelle
