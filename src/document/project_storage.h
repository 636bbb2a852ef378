// Saving the document to a project file and opening one into it: the
// numbering of tracks, sources and clips, relative source paths, the search
// for moved and missing source files and the messages of both directions.
#pragma once

#include <string>
#include <vector>

#include "document/atomic_file.h"
#include "document/project_file_format.h"

namespace vantorelle {

class CVantorelleDoc;
class FileInWork;

// The rest of the full path after the directory and its separator, when the
// path lies below the directory (compared without regard to case); the full
// path unchanged otherwise.
std::string MakeRelativePath(const std::string& fullPath, const std::string& projectDirectory);

// Directory + file name for every remembered directory holding such a file.
std::vector<std::string> FindRememberedCandidates(const std::vector<std::string>& directories,
                                                  const std::string& fileName);

// Gives tracks, sources and clips their file numbers and collects what the
// file holds. Fails (nothing written) when a clip refers to a source or
// track the document does not hold.
bool CollectProjectContents(CVantorelleDoc& doc, ProjectFileContents& contents);

// Writes the project to path through a temporary file in the same folder
// that replaces the old file only once it is complete, so a failed or cut
// short save leaves the previous project intact. On failure the person is
// told, and the project keeps its modified flag and its previous name.
bool SaveProjectFile(CVantorelleDoc& doc, const std::string& path, const AtomicWriteFaults& faults = {});

enum class ProjectOpenOutcome {
  Opened,
  EmptyFile,   // nothing read: the current contents stay and take the name
  Unreadable,  // the file could not be read at all; the document is unchanged
  Failed,      // damaged: the document became an empty, unnamed project
};

struct ProjectOpenOptions {
  const FileInWork* fileInWork = nullptr;  // guard handed to every source made
};

// Needs the document's views (headless ones will do).
ProjectOpenOutcome OpenProjectFile(CVantorelleDoc& doc, const std::string& path,
                                   const ProjectOpenOptions& options = {});

}  // namespace vantorelle
