// Making sources from files on disk, and finding stored sources again: the
// checks against the disk and the re-reading of changed files.
#pragma once

#include <memory>
#include <string>

#include "model/src.h"
#include "playback/media_info.h"

namespace vantorelle {

class FileInWork;

struct SourceReadContext {
  MediaReadContext media;
  const StillImageExtensions& stillImages;
  const FileInWork* fileInWork = nullptr;  // guard handed to every source made
};

// A source for the file at path, or none when the file is missing, of another
// type, or its media cannot be read (the reader shows its messages).
std::unique_ptr<CSrc> MakeSourceFromFile(const SourceReadContext& context, const std::string& path);

enum class DiskCheck {
  Found,         // the file is there; the source points at it and is up to date
  Missing,       // the caller asks the person where it went
  RereadFailed,  // the file changed and can no longer be read as a source
};

// Looks up a stored source at its stored path (below the project directory
// when relative), then at its stored full path. A changed file is reported
// and read again.
DiskCheck CheckSourceAgainstDisk(const SourceReadContext& context, CSrc& source,
                                 const std::string& projectDirectory);

// Takes the file at path as the source's file; reports when its parameters
// differ. False, with the source unchanged, when the file cannot be read.
bool RereadSource(const SourceReadContext& context, CSrc& source, const std::string& path);

}  // namespace vantorelle
